#pragma once
// Helpers of the window tests on the real sound server: the main window with a
// log of the blocks it handled, waiting on the event loop, servers of the
// tests' own, and pacat/parecord on the default sink and its monitor.

#include <cstdint>
#include <functional>
#include <vector>

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include "app/Main.h"

// One capture block that WimData handled while recording.
struct HandledBlock {
  qint64 ms;  // when it was handled, since the window was made
  int header; // which of the four capture buffers carried it (0..3), -1 if none
  int32_t peakL, peakR;
  QString llevel, rlevel;           // the readouts after the block
  std::vector<int16_t> left, right; // the sample rows, when keepSamples is set
};

// The main window on the sound-server audio layer ("Veltrano"), logging every
// capture block its handler processed. GUI thread only.
class AudioWindow : public TForm1 {
public:
  AudioWindow();
  qint64 Elapsed() const { return clock_.elapsed(); }
  // Blocks handled so far; with keepSamples each keeps a copy of both rows.
  std::vector<HandledBlock> blocks;
  bool keepSamples = false;
  // Every MM_WIM_DATA that reached the window, handled or not.
  size_t dataEvents = 0;

protected:
  bool event(QEvent* e) override;

private:
  QElapsedTimer clock_;
};

// Runs the event loop (sleeping, not spinning) for ms milliseconds.
void Pump(int ms);
// Runs the event loop until done() holds or timeoutMs passes; returns done().
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

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

// A sound server of the test's own, in a folder of the build tree, started
// and stopped with the fixture's script; Kill ends it by its pid.
class PrivateServer {
public:
  explicit PrivateServer(const QString& name);
  ~PrivateServer();
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  bool Start();
  void Stop();
  bool Kill(int signal) const;
  // The PULSE_SERVER value that reaches it.
  QByteArray Address() const;

private:
  QString dir_;
};

// Plays raw 48000 Hz stereo S16LE samples into the default sink with pacat,
// in the background while the test runs the event loop.
class SinkPlayer {
public:
  bool Start(const std::vector<int16_t>& samples);
  bool Running() const { return process_.state() != QProcess::NotRunning; }
  bool Succeeded() const;

private:
  QTemporaryDir dir_;
  QProcess process_;
};

// Records the default source (the null sink's monitor) with parecord as raw
// 48000 Hz stereo S16LE until Stop, which returns the interleaved samples.
class MonitorRecorder {
public:
  bool Start();
  std::vector<int16_t> Stop();

private:
  QTemporaryDir dir_;
  QProcess process_;
};
