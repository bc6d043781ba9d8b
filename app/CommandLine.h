// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's command line, read in full before anything starts: its own
// options (one table, which also writes --help) and Qt's, which Qt takes out
// of the arguments later when the application object is made. Whatever
// neither knows is an error, reported before a display or a server is needed.

#include <optional>
#include <string>
#include <vector>

struct CommandLine {
  bool Help = false;
  bool Version = false;
  bool Loopback = false;
  // A measurement from the terminal (see MeasureCommand.h): the values as
  // given, empty ones too; none when the option is not given.
  std::optional<std::string> Measure, Tone, Level, To;
  bool Json = false;
  // The sound server's source and sink to use, by its names; empty: the defaults.
  std::string Input, Output;
  // To add an option: a field here and a row in the table of options in
  // CommandLine.cpp.

  // The first problem (an unknown option, a missing value, an option without
  // the one it belongs to), as one line without the program's name; empty
  // when the line is good.
  std::string Error;
};

// args: the arguments after the program's name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// What --help prints.
std::string HelpText();
