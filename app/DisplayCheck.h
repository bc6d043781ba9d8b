// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Telling the user in one line that no window can be opened, instead of Qt's
// abort.

#include <string>
#include <vector>

// Before the application object exists: a one-line reason when no window can
// be opened for sure (X is the platform, by default or chosen with
// QT_QPA_PLATFORM or -platform, and no display is given with -display or
// DISPLAY, nor by default a WAYLAND_DISPLAY); empty otherwise.
// args: the arguments after the program's name.
std::string MissingDisplay(const std::vector<std::string>& args);

// While it lives, Qt's messages are held back. A fatal one (no platform plugin
// could start, e.g. the X server does not answer) becomes one line on stderr
// saying what is missing, and the program ends with status 1. When it goes,
// the held messages are passed on. Wrap the application object's construction.
class PlatformStartGuard {
public:
  explicit PlatformStartGuard(const std::vector<std::string>& args);
  ~PlatformStartGuard();
  PlatformStartGuard(const PlatformStartGuard&) = delete;
  PlatformStartGuard& operator=(const PlatformStartGuard&) = delete;
};
