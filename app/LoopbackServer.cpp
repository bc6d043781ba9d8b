// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/LoopbackServer.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <ftw.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int StepMs = 50;
constexpr int StartTimeoutMs = 10000;
constexpr int StopTimeoutMs = 5000;
// A Unix socket's path holds at most 107 bytes.
constexpr size_t MaxSocketPath = 100;
constexpr const char* FolderPattern = "/veltrano-loopback-XXXXXX";
constexpr int ServerNotFound = 127;
// What the server's files (start-up script, cookie, log) may come to; its
// memory pool is private memory, not a file.
constexpr rlim_t ServerFileBytes = 64 * 1024;

volatile sig_atomic_t stopRequested = 0;

void RequestStop(int) {
  stopRequested = 1;
}

// Only these characters reach the server's command file as part of a path:
// nothing there can end a line, a value or a quote.
bool IsPlainPath(const char* path) {
  if (path[0] != '/') return false;
  for (const char* c = path; *c != '\0'; ++c)
    if (std::isalnum(static_cast<unsigned char>(*c)) == 0 && std::strchr("/._-", *c) == nullptr)
      return false;
  return true;
}

// A folder only the user can change: theirs, and writable by no one else.
// In any other, someone else could rename the program's folder and put
// another in its place.
bool IsPrivateFolder(const char* path) {
  struct stat info {};
  return lstat(path, &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0 && access(path, W_OK | X_OK) == 0;
}

// The user's runtime folder keeps the server private; /tmp (whose sticky bit
// keeps others from renaming what is ours) when it is unset, not an absolute
// path of plain characters, not private, or would make the socket's path too
// long. The folder made inside is the program's own, 0700 either way.
std::string Base() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const size_t room = MaxSocketPath - std::strlen(FolderPattern) - std::strlen(LoopbackSocketName);
  if (runtime != nullptr && IsPlainPath(runtime) && std::strlen(runtime) <= room &&
      IsPrivateFolder(runtime))
    return runtime;
  return "/tmp";
}

bool WriteFile(const std::string& path, const std::string& text) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  const bool written = write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  return close(fd) == 0 && written;
}

int RemoveEntry(const char* path, const struct stat*, int, struct FTW*) {
  remove(path);
  return 0;
}

void RemoveTree(const std::string& folder) {
  nftw(folder.c_str(), RemoveEntry, 16, FTW_DEPTH | FTW_PHYS);
}

bool IsSocket(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

// The server's first error, as said in its log ("Failed to load module ..."),
// without the log's prefix; empty when it logged none.
std::string FirstError(const std::string& folder) {
  FILE* log = std::fopen((folder + "/log").c_str(), "re");
  if (log == nullptr) return "";
  std::string error;
  std::array<char, 512> line{};
  while (error.empty() && std::fgets(line.data(), line.size(), log) != nullptr) {
    const std::string text = line.data();
    if (text.rfind("E: ", 0) != 0) continue;
    // "E: [pulseaudio] module.c: what happened"
    const size_t source = text.find("] ");
    const size_t what = text.find(": ", source == std::string::npos ? 3 : source);
    error = text.substr(what == std::string::npos ? 3 : what + 2);
    error.erase(error.find_last_not_of("\r\n") + 1);
  }
  std::fclose(log);
  return error;
}

void SleepMs(int ms) {
  usleep(static_cast<useconds_t>(ms) * 1000);
}

// True once pid has ended (and is reaped), within timeoutMs.
bool WaitEnded(pid_t pid, int timeoutMs, int* status) {
  for (int waited = 0;; waited += StepMs) {
    const pid_t done = waitpid(pid, status, WNOHANG);
    if (done == pid || (done < 0 && errno == ECHILD)) return true;
    if (waited >= timeoutMs) return false;
    SleepMs(StepMs);
  }
}

void StopServer(pid_t server) {
  int status = 0;
  kill(server, SIGTERM);
  if (WaitEnded(server, StopTimeoutMs, &status)) return;
  kill(server, SIGKILL);
  waitpid(server, &status, 0);
}

// In the watchdog: the server as a child that ends with the watchdog.
pid_t SpawnServer(const std::string& folder) {
  const pid_t watchdog = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != watchdog) _exit(1);
  for (const int signo : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
    std::signal(signo, SIG_DFL);
  const int in = open("/dev/null", O_RDONLY);
  const int log = open((folder + "/log").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  if (in < 0 || log < 0) _exit(1);
  dup2(in, STDIN_FILENO);
  dup2(log, STDOUT_FILENO);
  dup2(log, STDERR_FILENO);
  // Nothing of the user's own server or desktop session.
  for (const char* name : {"PULSE_SERVER", "DISPLAY", "DBUS_SESSION_BUS_ADDRESS"})
    unsetenv(name);
  setenv("XDG_RUNTIME_DIR", (folder + "/runtime").c_str(), 1);
  setenv("PULSE_RUNTIME_PATH", (folder + "/runtime").c_str(), 1);
  setenv("PULSE_STATE_PATH", (folder + "/state").c_str(), 1);
  setenv("HOME", (folder + "/home").c_str(), 1);
  setenv("XDG_CONFIG_HOME", (folder + "/home/.config").c_str(), 1);
  setenv("PULSE_COOKIE", (folder + "/cookie").c_str(), 1);
  const std::string script = folder + "/server.pa";
  // A pool in shared memory would be a file of 64 MiB, past a file-size
  // limit; private memory is none.
  const char* const argv[] = {"pulseaudio",
                              "--disable-shm=yes",
                              "-n",
                              "--daemonize=no",
                              "--system=false",
                              "--use-pid-file=no",
                              "--exit-idle-time=-1",
                              "--realtime=no",
                              "--high-priority=no",
                              "--log-target=stderr",
                              "-F",
                              script.c_str(),
                              nullptr};
  execvp(argv[0], const_cast<char* const*>(argv));
  _exit(ServerNotFound);
}

// In the watchdog: empty once the server listens, else why it does not.
std::string WaitListening(pid_t server, const std::string& folder, int lifeline) {
  const std::string socket = folder + LoopbackSocketName;
  for (int waited = 0; waited < StartTimeoutMs; waited += StepMs) {
    int status = 0;
    if (waitpid(server, &status, WNOHANG) == server) {
      if (WIFEXITED(status) && WEXITSTATUS(status) == ServerNotFound)
        return "the program pulseaudio was not found (Debian: apt install pulseaudio)";
      const std::string error = FirstError(folder);
      return "the sound server ended while starting" + (error.empty() ? "" : ": " + error);
    }
    // The listening socket comes last in the script, after the sinks. A
    // command of the script that failed leaves the server running without
    // it: there is nothing to wait for.
    if (IsSocket(socket)) return "";
    if (const std::string error = FirstError(folder); !error.empty())
      return "the sound server refused its start-up commands: " + error;
    pollfd gone{lifeline, POLLIN, 0};
    if (stopRequested || poll(&gone, 1, 0) > 0) return "stopped while starting";
    SleepMs(StepMs);
  }
  return "the sound server did not answer within 10 s";
}

void Report(int fd, const std::string& text) {
  [[maybe_unused]] const ssize_t written = write(fd, text.data(), text.size());
  close(fd);
}

// The watchdog's whole life; it never returns.
[[noreturn]] void RunWatchdog(const std::string& folder, int lifeline, int report) {
  // Out of the terminal's process group: Ctrl+C is the program's to handle,
  // and the server must outlive it until the program has closed its streams.
  setsid();
  for (const int signo : {SIGINT, SIGHUP, SIGPIPE})
    std::signal(signo, SIG_IGN);
  struct sigaction stop {};
  stop.sa_handler = RequestStop;
  sigemptyset(&stop.sa_mask);
  sigaction(SIGTERM, &stop, nullptr);

  const pid_t server = SpawnServer(folder);
  if (server < 0) {
    Report(report, std::string("cannot start a process: ") + std::strerror(errno));
    RemoveTree(folder);
    _exit(1);
  }
  if (const std::string problem = WaitListening(server, folder, lifeline); !problem.empty()) {
    StopServer(server);
    Report(report, problem);
    RemoveTree(folder);
    _exit(1);
  }
  Report(report, "ok");

  // The program never writes: readable means its end of the pipe is closed,
  // by its destructor or by the kernel when the program died.
  bool serverEnded = false;
  for (;;) {
    pollfd gone{lifeline, POLLIN, 0};
    if (poll(&gone, 1, 500) > 0 || stopRequested) break;
    int status = 0;
    if (waitpid(server, &status, WNOHANG) == server) {
      serverEnded = true;
      break;
    }
  }
  if (!serverEnded) StopServer(server);
  RemoveTree(folder);
  _exit(0);
}

std::string ReadAll(int fd) {
  std::string text;
  std::array<char, 256> chunk{};
  for (;;) {
    const ssize_t n = read(fd, chunk.data(), chunk.size());
    if (n > 0)
      text.append(chunk.data(), static_cast<size_t>(n));
    else if (n == 0 || errno != EINTR)
      return text;
  }
}

// A value of a module argument in the server's syntax: in double quotes, with
// a backslash before a quote or a backslash.
std::string QuotedArgument(const std::string& value) {
  std::string quoted = "\"";
  for (const char c : value) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

} // namespace

std::unique_ptr<LoopbackServer> LoopbackServer::Start(std::string* error) {
  // The server would be killed by the limit's signal at its first write past it.
  struct rlimit limit {};
  if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
      limit.rlim_cur < ServerFileBytes) {
    *error = "the file-size limit (ulimit -f) of " + std::to_string(limit.rlim_cur) +
             " bytes is too small for the sound server's files (start-up script, cookie and "
             "log), which need up to 64 KiB";
    return nullptr;
  }
  const std::string base = Base();
  std::string folder = base + FolderPattern;
  if (mkdtemp(folder.data()) == nullptr) {
    *error = "cannot make a folder in " + base + ": " + std::strerror(errno);
    return nullptr;
  }
  for (const char* sub : {"/runtime", "/home", "/state"})
    mkdir((folder + sub).c_str(), 0700);
  if (!WriteFile(folder + "/server.pa", LoopbackServerScript(folder + LoopbackSocketName))) {
    *error = "cannot write into " + folder;
    RemoveTree(folder);
    return nullptr;
  }

  std::array<int, 2> lifeline{}, report{};
  if (pipe2(lifeline.data(), O_CLOEXEC) != 0 || pipe2(report.data(), O_CLOEXEC) != 0) {
    *error = std::string("cannot make a pipe: ") + std::strerror(errno);
    RemoveTree(folder);
    return nullptr;
  }
  // Buffered output would be written twice, once by each process.
  std::fflush(nullptr);
  const pid_t watchdog = fork();
  if (watchdog == 0) {
    close(lifeline[1]);
    close(report[0]);
    RunWatchdog(folder, lifeline[0], report[1]);
  }
  close(lifeline[0]);
  close(report[1]);
  if (watchdog < 0) {
    *error = std::string("cannot start a process: ") + std::strerror(errno);
    close(lifeline[1]);
    close(report[0]);
    RemoveTree(folder);
    return nullptr;
  }
  const std::string answer = ReadAll(report[0]);
  close(report[0]);
  if (answer != "ok") {
    close(lifeline[1]);
    int status = 0;
    waitpid(watchdog, &status, 0);
    *error = answer.empty() ? "the watchdog of the sound server ended" : answer;
    return nullptr;
  }
  return std::unique_ptr<LoopbackServer>(new LoopbackServer(folder, watchdog, lifeline[1]));
}

LoopbackServer::~LoopbackServer() {
  close(lifeline_);
  int status = 0;
  while (waitpid(watchdog_, &status, 0) < 0 && errno == EINTR) {
  }
}

std::string LoopbackServerScript(const std::string& socketPath) {
  // A loopback from the monitor into a second null sink keeps the first one
  // rendering in short blocks, so that capture starts at once. Its latency
  // leaves the pace to the program, which asks for one block at a time: a
  // shorter one would have the server deliver the input every few
  // milliseconds and wake the program as often.
  return "load-module module-null-sink sink_name=veltrano_loopback rate=48000 channels=2 "
         "format=s16le sink_properties=device.description=Veltrano-loop-back\n"
         "suspend-sink veltrano_loopback 1\n"
         "load-module module-null-sink sink_name=veltrano_drain rate=48000 channels=2 "
         "format=s16le sink_properties=device.description=Veltrano-drain\n"
         "load-module module-loopback source=veltrano_loopback.monitor sink=veltrano_drain "
         "latency_msec=200 source_dont_move=true sink_dont_move=true\n"
         "suspend-sink veltrano_loopback 0\n"
         "set-default-sink veltrano_loopback\n"
         "set-default-source veltrano_loopback.monitor\n"
         "load-module module-native-protocol-unix socket=" +
         QuotedArgument(socketPath) + " auth-anonymous=1\n";
}
