// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Running the event loop in tests, so that posted device notifications,
// timers and repaints are handled. Test (GUI) thread only.

#include <functional>

// Handles the pending events, then runs the event loop (sleeping, not
// spinning) for the given time.
void ProcessEvents(int milliseconds = 0);
// Runs the event loop until done() holds or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs);
