// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A private sound server for one run of the program (--loopback): a null sink
// whose monitor is the default source, so that what the generator plays comes
// back as the input. A watchdog process owns the server and ends it, and
// removes its folder, as soon as the program is gone, also after a crash.

#include <memory>
#include <string>

#include <sys/types.h>

// The server's socket within its folder.
inline constexpr const char* LoopbackSocketName = "/native";

class LoopbackServer {
public:
  // Starts the server and its watchdog and returns once the server answers;
  // null with *error set when it cannot. Call before the program starts any
  // thread: it forks.
  static std::unique_ptr<LoopbackServer> Start(std::string* error);
  // Stops the server and waits until it and its folder are gone.
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  // The folder that holds the server's socket, cookie, state and log.
  const std::string& Folder() const { return folder_; }
  // Where clients reach it: the value for PULSE_SERVER.
  std::string Address() const { return "unix:" + Folder() + LoopbackSocketName; }
  std::string Cookie() const { return Folder() + "/cookie"; }

private:
  LoopbackServer(std::string folder, pid_t watchdog, int lifeline)
      : folder_(std::move(folder)), watchdog_(watchdog), lifeline_(lifeline) {}

  std::string folder_;
  pid_t watchdog_;
  int lifeline_; // the write end of a pipe the watchdog reads: its end means stop
};

// The server's start-up script for a server that listens at socketPath, a
// path without line ends.
std::string LoopbackServerScript(const std::string& socketPath);
