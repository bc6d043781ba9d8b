// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shared set-up of the window tests: an offscreen screen wide enough for the
// window, temporary settings and runtime folders, message boxes recorded
// instead of shown.

#include <vector>

#include <QString>

#include "tests/support/EventPump.h"

struct RecordedMessage {
  QString Text;
  QString Caption;
};

// Every message box shown since the last ClearMessages().
const std::vector<RecordedMessage>& Messages();
void ClearMessages();
// Records message boxes instead of showing them: the tests' own way, set up
// by main(), and put back by a test that showed them its own way.
void RecordMessages();

// The temporary folder that stands in for XDG_CONFIG_HOME.
QString ConfigHome();
// The settings file the window reads and writes there.
QString SettingsFile();
