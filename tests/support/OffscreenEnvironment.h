// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>

// Points the settings, the runtime folder and the display of a test program
// at private places under home: $XDG_CONFIG_HOME is home/config, the runtime
// folder home/runtime (0700), and the offscreen platform gets one screen of
// the given size. Call before the application object exists.
bool PrepareOffscreenEnvironment(const QString& home, int screenWidth, int screenHeight);
