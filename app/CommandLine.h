#pragma once
// The program's own command-line options. Qt takes its own (-platform,
// -display, ...) out of the arguments when the application object is made;
// whatever neither knows is an error.

#include <string>
#include <vector>

struct CommandLine {
  bool Help = false;
  bool Version = false;
  bool Loopback = false;
  std::vector<std::string> Others; // arguments that are not ours, in order
};

// args: the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What --help prints.
std::string HelpText();
