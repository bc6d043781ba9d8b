// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CommandLine.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "app/MeasureCommand.h"

namespace {

// One option of the program; --help lists them in this order.
struct ProgramOption {
  const char* Name;  // "--loopback"
  const char* Short; // "-h", or nullptr
  const char* Value; // the value's name in --help ("NAME"), or nullptr for a switch
  const char* Help;  // what --help says; '\n' starts a further line
  void (*Apply)(CommandLine& line, const std::string& value);
};

constexpr std::array Options{
    ProgramOption{"--loopback", nullptr, nullptr,
                  "start a private sound server for this run whose output comes back\n"
                  "as its input, so that the bench can be tried without a sound card\n"
                  "(needs the pulseaudio program); it stops when Veltrano ends",
                  [](CommandLine& line, const std::string&) { line.Loopback = true; }},
    ProgramOption{"--input", nullptr, "NAME",
                  "record the sound server's source NAME (as 'pactl list short\n"
                  "sources' names it) instead of the default source",
                  [](CommandLine& line, const std::string& value) { line.Input = value; }},
    ProgramOption{"--output", nullptr, "NAME",
                  "play on the sink NAME instead of the default sink; both choices\n"
                  "are remembered, as those made on the LED meters' right-click menu",
                  [](CommandLine& line, const std::string& value) { line.Output = value; }},
    ProgramOption{"--measure", nullptr, "SECONDS",
                  "capture SECONDS (0.05..60) of the input without a window, print\n"
                  "the figures (see below) and exit",
                  [](CommandLine& line, const std::string& value) { line.Measure = value; }},
    ProgramOption{"--tone", nullptr, "FREQ",
                  "with --measure: meanwhile play a sine of FREQ Hz (10..23990) on\n"
                  "the default sink, made by the generator's own synthesis",
                  [](CommandLine& line, const std::string& value) { line.Tone = value; }},
    ProgramOption{"--level", nullptr, "DB",
                  "with --tone: its peak level in dBFS (-40..0, default -6), in the\n"
                  "generator's whole-percent steps",
                  [](CommandLine& line, const std::string& value) { line.Level = value; }},
    ProgramOption{"--to", nullptr, "L|R|LR", "with --tone: the channels it goes to (default LR)",
                  [](CommandLine& line, const std::string& value) { line.To = value; }},
    ProgramOption{"--json", nullptr, nullptr,
                  "with --measure: print one JSON object instead of the table",
                  [](CommandLine& line, const std::string&) { line.Json = true; }},
    ProgramOption{"--help", "-h", nullptr, "show this help and exit",
                  [](CommandLine& line, const std::string&) { line.Help = true; }},
    ProgramOption{"--version", nullptr, nullptr, "show the version and exit",
                  [](CommandLine& line, const std::string&) { line.Version = true; }},
};

// Qt's own options, with one or two dashes; those that take a value also as
// -name=value where Qt allows it.
struct QtOption {
  std::string_view Name;
  bool TakesValue;
  bool JoinedValue;
};

constexpr std::array QtOptions{
    QtOption{"platform", true, false},      QtOption{"platformpluginpath", true, false},
    QtOption{"platformtheme", true, false}, QtOption{"plugin", true, false},
    QtOption{"display", true, false},       QtOption{"name", true, false},
    QtOption{"visual", true, false},        QtOption{"qwindowgeometry", true, false},
    QtOption{"geometry", true, false},      QtOption{"qwindowtitle", true, false},
    QtOption{"title", true, false},         QtOption{"qwindowicon", true, false},
    QtOption{"icon", true, false},          QtOption{"session", true, false},
    QtOption{"style", true, true},          QtOption{"stylesheet", true, true},
    QtOption{"qmljsdebugger", true, true},  QtOption{"reverse", false, false},
    QtOption{"nograb", false, false},       QtOption{"dograb", false, false},
    QtOption{"sync", false, false},         QtOption{"widgetcount", false, false},
    QtOption{"testability", false, false},
};

// How many arguments from args[i] on Qt takes; 0 when it is not Qt's.
size_t QtTakes(const std::vector<std::string>& args, size_t i) {
  std::string_view arg = args[i];
  if (arg.starts_with("--")) arg.remove_prefix(1);
  if (!arg.starts_with("-")) return 0;
  arg.remove_prefix(1);
  for (const QtOption& option : QtOptions) {
    if (arg == option.Name) return option.TakesValue && i + 1 < args.size() ? 2 : 1;
    if (option.JoinedValue && arg.starts_with(option.Name) &&
        arg.substr(option.Name.size(), 1) == "=")
      return 1;
  }
  return 0;
}

// An option that means something only beside another: the first one given
// without it, as the error; empty when there is none.
std::string MissingCompanion(const CommandLine& line) {
  const struct {
    bool Given;
    const char* Name;
    bool CompanionGiven;
    const char* Companion;
  } pairs[] = {
      {line.Tone.has_value(), "--tone", line.Measure.has_value(), "--measure"},
      {line.Level.has_value(), "--level", line.Measure.has_value(), "--measure"},
      {line.To.has_value(), "--to", line.Measure.has_value(), "--measure"},
      {line.Json, "--json", line.Measure.has_value(), "--measure"},
      {line.Level.has_value(), "--level", line.Tone.has_value(), "--tone"},
      {line.To.has_value(), "--to", line.Tone.has_value(), "--tone"},
  };
  for (const auto& pair : pairs)
    if (pair.Given && !pair.CompanionGiven)
      return std::string("option '") + pair.Name + "' works only with " + pair.Companion;
  return "";
}

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& args) {
  CommandLine line;
  for (size_t i = 0; i < args.size() && line.Error.empty();) {
    const std::string& arg = args[i];
    const ProgramOption* found = nullptr;
    for (const ProgramOption& option : Options)
      if (arg == option.Name || (option.Short != nullptr && arg == option.Short)) found = &option;
    if (found != nullptr && found->Value != nullptr && i + 1 >= args.size()) {
      line.Error = "option '" + arg + "' needs a value (" + found->Value + ")";
    } else if (found != nullptr) {
      found->Apply(line, found->Value != nullptr ? args[i + 1] : std::string());
      i += found->Value != nullptr ? 2 : 1;
    } else if (const size_t taken = QtTakes(args, i); taken > 0) {
      i += taken;
    } else {
      line.Error =
          (arg.starts_with("-") ? "unknown option '" : "unexpected argument '") + arg + "'";
    }
  }
  if (line.Error.empty()) line.Error = MissingCompanion(line);
  return line;
}

std::string HelpText() {
  std::string text =
      "Usage: veltrano [OPTION]...\n"
      "A test bench for a computer's sound card: it analyses the stereo input of the\n"
      "sound server's default source and plays test signals on its default sink.\n"
      "\n"
      "Options:\n";
  std::vector<std::string> names;
  size_t width = 0;
  for (const ProgramOption& option : Options) {
    std::string name = option.Short != nullptr ? std::string(option.Short) + ", " : "";
    name += option.Name;
    if (option.Value != nullptr) name += std::string(" ") + option.Value;
    width = std::max(width, name.size());
    names.push_back(name);
  }
  const size_t helpColumn = 2 + width + 2;
  for (size_t i = 0; i < Options.size(); ++i) {
    const ProgramOption& option = Options[i];
    text += "  " + names[i] + std::string(width + 2 - names[i].size(), ' ');
    // Appended in place: GCC 12 at -O3 warns falsely (-Wrestrict) about a
    // literal prepended to a temporary string.
    for (const char* c = option.Help; *c != '\0'; ++c) {
      text += *c;
      if (*c == '\n') text.append(helpColumn, ' ');
    }
    text += '\n';
  }
  return text + "\n" + MeasureHelpText() +
         "\n"
         "Keys in the window:\n"
         "  F2                    the Measurements window (Escape closes it)\n"
         "  F3                    the Spectrum window (Ctrl+E there saves its traces)\n"
         "  Ctrl+E, Ctrl+R        save the spectrum, the amplitude trace as CSV\n"
         "  Ctrl+S, Ctrl+Shift+C  save the window as a PNG picture, copy it\n"
         "  Ctrl+D                the Devices dialog: the input and output in use\n"
         "  Shift+F10, Menu       the display's menu; on the LED meters, theirs\n"
         "  Tab, Space, arrows    walk the controls, press STOP, step a value\n"
         "\n"
         "Qt's own options work too, for example -platform <name> or -display <display>.\n"
         "Ctrl+C, SIGTERM and SIGHUP close the window as its close button does, so the\n"
         "settings are saved.\n";
}
