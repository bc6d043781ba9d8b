// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// SIGINT, SIGTERM and SIGHUP as requests to close the window: the handler only
// writes the signal's number into a pipe, and the GUI thread's event loop
// reads it from there.

#include <functional>
#include <memory>

class QSocketNotifier;

// Catches the three signals from now on, before the application object may
// exist; a signal that arrives before a StopSignalNotifier reads the pipe
// waits there. The third signal ends the program the default way, for a loop
// that no longer answers.
void CatchStopSignals();

// Calls onSignal(signal number) on the GUI thread for every signal caught.
// Needs the application object; CatchStopSignals first.
class StopSignalNotifier {
public:
  explicit StopSignalNotifier(std::function<void(int)> onSignal);
  ~StopSignalNotifier();
  StopSignalNotifier(const StopSignalNotifier&) = delete;
  StopSignalNotifier& operator=(const StopSignalNotifier&) = delete;

private:
  std::unique_ptr<QSocketNotifier> notifier_;
};
