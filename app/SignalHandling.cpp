// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/SignalHandling.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>

namespace {

constexpr std::array StopSignals{SIGINT, SIGTERM, SIGHUP};
constexpr int GiveUpAfter = 3;

std::array<int, 2> pipeEnds{-1, -1};
std::atomic<int> caught{0};
static_assert(std::atomic<int>::is_always_lock_free);

void OnStopSignal(int signo) {
  const int savedErrno = errno;
  if (caught.fetch_add(1) + 1 >= GiveUpAfter) {
    std::signal(signo, SIG_DFL);
    std::raise(signo);
  }
  const auto byte = static_cast<unsigned char>(signo);
  // A full pipe already holds requests enough.
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
  errno = savedErrno;
}

} // namespace

void CatchStopSignals() {
  if (pipeEnds[0] >= 0) return;
  if (pipe2(pipeEnds.data(), O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signo : StopSignals)
    sigaction(signo, &action, nullptr);
}

StopSignalNotifier::StopSignalNotifier(std::function<void(int)> onSignal) {
  if (pipeEnds[0] < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [onSignal = std::move(onSignal)] {
    unsigned char byte = 0;
    while (read(pipeEnds[0], &byte, 1) == 1)
      onSignal(byte);
  });
}

StopSignalNotifier::~StopSignalNotifier() = default;
