// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers of the tests on a real sound server: scoped environment variables,
// servers of the tests' own, and pacat/parecord on the default sink and its
// monitor; waiting on the event loop comes with them. Test thread only.

#include <cstdint>
#include <functional>
#include <vector>

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

#include <pulse/pulseaudio.h>

#include "tests/support/EventPump.h"

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

// A sound server of the test's own in the folder <scratch>/<name> of the build
// tree, started and stopped with the fixture's script; the destructor stops
// it. Pointing PULSE_SERVER at it is up to the test.
class PrivateServer {
public:
  PrivateServer(const QString& scratch, const QString& name);
  ~PrivateServer();
  PrivateServer(const PrivateServer&) = delete;
  PrivateServer& operator=(const PrivateServer&) = delete;

  bool Start();
  void Stop();
  // Sends a signal to the server process.
  bool Signal(int signal) const;
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

// A desktop's mixer: one client that stays connected while it moves streams.
// PipeWire's PulseAudio server (0.3.65) acknowledges a move before it passes it
// on, and loses about one in five when the client leaves at once, as pactl does.
class Mixer {
public:
  Mixer();
  ~Mixer();
  Mixer(const Mixer&) = delete;
  Mixer& operator=(const Mixer&) = delete;

  // Moves the sink input to the named sink; true once the server agreed.
  bool MoveSinkInput(const QString& index, const QString& sink);

private:
  bool Await(const std::function<bool()>& done);

  pa_mainloop* loop_;
  pa_context* context_;
};

// Runs pactl with the arguments against the client's server; its output.
QString Pactl(const QStringList& args);
// What the client's server says of itself and its clients, and the end of
// its log: for the message of a failed check.
QString ServerReport();
// The indices of the streams of a kind ("sink-inputs", "source-outputs") that
// a client opened: the server's own loopback has none.
QStringList ClientStreams(const QString& kind);
