// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DisplayCheck.h"

#include <cstdio>
#include <cstdlib>

#include <QString>
#include <QtGlobal>

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The value of a Qt option given as "-name value" or "--name value".
std::string QtOption(const std::vector<std::string>& args, const std::string& name) {
  for (size_t i = 0; i + 1 < args.size(); ++i)
    if (args[i] == "-" + name || args[i] == "--" + name) return args[i + 1];
  return "";
}

std::string Platform(const std::vector<std::string>& args) {
  const std::string given = QtOption(args, "platform");
  return given.empty() ? Environment("QT_QPA_PLATFORM") : given;
}

// Qt's default platform here, and the one DISPLAY is for.
bool UsesX(const std::string& platform) {
  return platform.empty() || platform.rfind("xcb", 0) == 0;
}

std::string Display(const std::vector<std::string>& args) {
  const std::string given = QtOption(args, "display");
  return given.empty() ? Environment("DISPLAY") : given;
}

// What is missing, for a platform that failed to start.
std::string Explain(const std::vector<std::string>& args) {
  const std::string platform = Platform(args);
  if (!UsesX(platform)) return "the Qt platform \"" + platform + "\" could not be started";
  if (const std::string display = Display(args); !display.empty())
    return "the X display \"" + display + "\" does not answer";
  if (const std::string wayland = Environment("WAYLAND_DISPLAY");
      platform.empty() && !wayland.empty())
    return "DISPLAY is not set and the Wayland display \"" + wayland + "\" could not be used";
  return "DISPLAY is not set (start Veltrano in a desktop session, or set DISPLAY)";
}

struct Held {
  QtMsgType type;
  std::string category;
  QString text;
};

std::vector<std::string> guardedArgs;
std::vector<Held> held;
QtMessageHandler previous = nullptr;

void HoldMessage(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "veltrano: cannot open the window: %s\n", Explain(guardedArgs).c_str());
    std::fflush(stderr);
    // Nothing is worth saving yet: end before Qt aborts.
    std::_Exit(1);
  }
  held.push_back({type, context.category != nullptr ? context.category : "", text});
}

} // namespace

std::string MissingDisplay(const std::vector<std::string>& args) {
  const std::string platform = Platform(args);
  if (!UsesX(platform) || !Display(args).empty()) return "";
  if (platform.empty() && !Environment("WAYLAND_DISPLAY").empty()) return "";
  return "cannot open the window: " + Explain(args);
}

PlatformStartGuard::PlatformStartGuard(const std::vector<std::string>& args) {
  guardedArgs = args;
  previous = qInstallMessageHandler(HoldMessage);
}

PlatformStartGuard::~PlatformStartGuard() {
  qInstallMessageHandler(previous);
  for (const Held& message : held) {
    const QMessageLogContext context(nullptr, 0, nullptr, message.category.c_str());
    previous(message.type, context, message.text);
  }
  held.clear();
}
