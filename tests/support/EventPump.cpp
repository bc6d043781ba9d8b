// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/EventPump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

void ProcessEvents(int milliseconds) {
  // At most 10 ms, so that a device posting without pause cannot hold it up.
  QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
  if (milliseconds <= 0) return;
  QEventLoop loop;
  QTimer::singleShot(milliseconds, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() >= timeoutMs) return false;
    ProcessEvents(10);
  }
  return true;
}
