// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The audio thread and the connection to the sound server behind it.

#include <string>
#include <vector>

#include <pulse/pulseaudio.h>

#include "platform/WaveAudio.h"

class SoundServerPathWatch;

// A moment on the monotonic clock (pa_rtclock_now, microseconds) after which
// a blocking step gives up.
using SoundServerDeadline = pa_usec_t;

// How long one call may keep the GUI thread waiting for the server.
inline constexpr pa_usec_t kSoundServerTimeout = 2 * PA_USEC_PER_SEC;

SoundServerDeadline SoundServerDeadlineFromNow(pa_usec_t timeout);

// The result code for a libpulse error number: an unreachable server or a
// missing device -> 2, a refused format -> 32, anything else -> 1.
MMRESULT CodeFromPulseError(int error);

// Owns the pa_threaded_mainloop (the audio thread) and the current context.
// Every member runs on the GUI thread; "lock held" means the caller holds a
// SoundServerLock. The context is created on demand and dropped when it died
// or stalled, so that the next call connects afresh.
class SoundServerConnection {
public:
  explicit SoundServerConnection(const char* appName);
  ~SoundServerConnection(); // stops the audio thread; every stream must be gone
  SoundServerConnection(const SoundServerConnection&) = delete;
  SoundServerConnection& operator=(const SoundServerConnection&) = delete;

  // False when the audio thread could not be created or started.
  bool Running() const { return running_; }
  pa_threaded_mainloop* Loop() const { return loop_; }
  const std::string& AppName() const { return appName_; }
  // Adds what a mixer shows and what the desktop's policy reads of the
  // program: name, id, icon and version (those the application set).
  void Describe(pa_proplist* props) const;

  // Lock held: a ready context in *context, connecting if need be.
  MMRESULT Connect(SoundServerDeadline deadline, pa_context** context);
  // Lock held: the name of the server's default source (capture) or sink.
  MMRESULT DefaultDevice(pa_context* context, bool capture, SoundServerDeadline deadline,
                         std::string* name);
  // Lock held: MMSYSERR_NOERROR when the named source (capture) or sink exists.
  MMRESULT CheckDevice(pa_context* context, bool capture, const std::string& name,
                       SoundServerDeadline deadline);
  // Lock held: the device a stream goes to in *device: the chosen one (by
  // name) if the server has it, else the server's default; *fellBack tells
  // that a chosen one was not there.
  MMRESULT PickDevice(pa_context* context, bool capture, const std::string& chosen,
                      SoundServerDeadline deadline, std::string* device, bool* fellBack);
  // Lock held: waits for an operation (null: failed to start) and drops it;
  // false when it did not finish in time.
  bool Await(pa_context* context, pa_operation* operation, SoundServerDeadline deadline);
  // Lock held: the watch hears of every change the server reports of its
  // streams and devices, until Unwatch.
  void Watch(SoundServerPathWatch* watch) { watches_.push_back(watch); }
  void Unwatch(SoundServerPathWatch* watch);
  // Lock held: posts one MM_SERVER_BACK to target once a new connection to
  // the server succeeds, trying on the audio thread a few times a second and
  // giving a silent server two seconds a try; a later call replaces the target.
  void AwaitServer(QObject* target);
  // Lock held: forgets the current context, e.g. after it stalled. Streams
  // holding their own reference keep it alive.
  void Drop();

  // Lock held: sleeps on the audio thread's signal until done() holds (true)
  // or the deadline passes (false). Needs a context for the timer.
  template <class Done>
  bool WaitUntil(pa_context* context, SoundServerDeadline deadline, Done done) {
    Timer timer(*this, context, deadline);
    while (!done()) {
      if (timer.expired) return false;
      pa_threaded_mainloop_wait(loop_);
    }
    return true;
  }

  // Audio thread: wakes the GUI thread waiting in WaitUntil; userdata is the loop.
  static void Wake(void* loop);

private:
  struct Timer {
    Timer(SoundServerConnection& owner, pa_context* context, SoundServerDeadline deadline);
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    SoundServerConnection& owner;
    pa_time_event* event = nullptr;
    bool expired = false; // guarded by the mainloop lock
  };
  static void OnServerEvent(pa_context* context, pa_subscription_event_type_t type, uint32_t index,
                            void* self);
  void Probe();
  void DropProbe();
  void ProbeAgainIn(pa_usec_t delay);
  pa_context* NewContext(); // with the program's properties

  QObject* awaiting_ = nullptr;         // guarded
  pa_context* probe_ = nullptr;         // guarded: a connection that tries the server
  pa_time_event* probeTimer_ = nullptr; // guarded

  std::vector<SoundServerPathWatch*> watches_; // guarded
  std::string appName_;
  std::string appId_, iconName_, version_;
  pa_threaded_mainloop* loop_ = nullptr;
  bool running_ = false;
  pa_context* context_ = nullptr;
};

// Holds the mainloop lock for a scope (GUI thread only; the audio thread's
// callbacks run with it held already).
class SoundServerLock {
public:
  explicit SoundServerLock(pa_threaded_mainloop* loop) : loop_(loop) {
    pa_threaded_mainloop_lock(loop_);
  }
  ~SoundServerLock() { pa_threaded_mainloop_unlock(loop_); }
  SoundServerLock(const SoundServerLock&) = delete;
  SoundServerLock& operator=(const SoundServerLock&) = delete;

private:
  pa_threaded_mainloop* loop_;
};
