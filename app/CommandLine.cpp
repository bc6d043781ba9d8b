#include "app/CommandLine.h"

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (const std::string& arg : args) {
    if (arg == "--help" || arg == "-h")
      line.Help = true;
    else if (arg == "--version")
      line.Version = true;
    else if (arg == "--loopback")
      line.Loopback = true;
    else
      line.Others.push_back(arg);
  }
  return line;
}

std::string HelpText() {
  return "Usage: veltrano [--loopback]\n"
         "A test bench for a computer's sound card: it analyses the stereo input of the\n"
         "sound server's default source and plays test signals on its default sink.\n"
         "\n"
         "Options:\n"
         "  --loopback  start a private sound server for this run whose output comes back\n"
         "              as its input, so that the bench can be tried without a sound card\n"
         "              (needs the pulseaudio program); it stops when Veltrano ends\n"
         "  -h, --help  show this help and exit\n"
         "  --version   show the version and exit\n"
         "\n"
         "Qt's own options work too, for example -platform <name> or -display <display>.\n"
         "Ctrl+C, SIGTERM and SIGHUP close the window as its close button does, so the\n"
         "settings are saved.\n";
}
