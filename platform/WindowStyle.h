// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Sets the application's look: the Fusion style with tighter check boxes and
// radio buttons, so captions fit the window's compact layout, and the window
// font for everything, dialogs included. Call once after the application object exists.
void InstallWindowStyle();
