#pragma once
// Helpers for the tests of the wave-audio service against a real sound server:
// a notification log, buffers, waiting on the event loop, private servers.

#include <QElapsedTimer>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <functional>
#include <vector>

#include "platform/WaveAudio.h"

// 48000 Hz, 2 channels, 16-bit PCM: the format the window asks for.
WAVEFORMATEX StereoFormat();

// Records every DeviceEvent posted to it, in arrival order; onEvent runs for
// each one after it is recorded.
class EventLog : public QObject {
public:
  struct Entry {
    uint32_t message;
    void* device;
    WAVEHDR* header;
    MMRESULT code;
    uint32_t bytesRecorded; // of the header when the event arrived
    uint32_t flags;         // of the header when the event arrived
    qint64 ms;              // since the log was made
  };

  bool event(QEvent* event) override;
  size_t Count(uint32_t message) const;
  std::vector<Entry> entries;
  std::function<void(const DeviceEvent&)> onEvent;

private:
  QElapsedTimer clock_ = StartedClock();
  static QElapsedTimer StartedClock();
};

// Runs the event loop until done() holds or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs);
// Runs the event loop for ms milliseconds.
void Pump(int ms);

// Headers over zeroed sample blocks of the given length; the addresses stay
// fixed for the object's life.
class Buffers {
public:
  Buffers(size_t count, uint32_t bytes);
  Buffers(const Buffers&) = delete;
  Buffers& operator=(const Buffers&) = delete;
  WAVEHDR* operator[](size_t i) { return &headers_[i]; }
  size_t Count() const { return headers_.size(); }
  // The index of a header of this set, or -1.
  int IndexOf(const WAVEHDR* header) const;
  int16_t* Samples(size_t i) { return reinterpret_cast<int16_t*>(headers_[i].lpData); }

private:
  std::vector<std::vector<char>> blocks_;
  std::vector<WAVEHDR> headers_;
};

// Sets an environment variable for a scope and restores it afterwards.
class ScopedEnv {
public:
  ScopedEnv(const char* name, const QByteArray& value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
  const char* name_;
  bool had_;
  QByteArray old_;
};

// A sound server of the test's own in a folder under the build tree, started
// and stopped with the fixture's script. Pointing PULSE_SERVER at it is up to
// the test.
class PrivateServer {
public:
  explicit PrivateServer(const QString& name);
  ~PrivateServer();
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  bool Start();
  void Stop();
  // Sends a signal to the server process.
  bool Signal(int signal) const;
  QByteArray Address() const;

private:
  QString dir_;
};

// Plays raw 48000 Hz stereo S16LE samples into the default sink with pacat,
// in the background while the test runs the event loop.
class RawPlayer {
public:
  bool Start(const std::vector<int16_t>& samples);
  bool Running() const { return process_.state() != QProcess::NotRunning; }
  bool Succeeded() const;

private:
  QTemporaryDir dir_;
  QProcess process_;
};
