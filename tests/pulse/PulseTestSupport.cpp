// SPDX-License-Identifier: GPL-3.0-or-later
#include "PulseTestSupport.h"

#include <csignal>
#include <cstring>

#include <QElapsedTimer>
#include <QFile>

ScopedEnv::ScopedEnv(const char* name, const QByteArray& value)
    : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
  qputenv(name, value);
}

ScopedEnv::~ScopedEnv() {
  if (had_)
    qputenv(name_, old_);
  else
    qunsetenv(name_);
}

PrivateServer::PrivateServer(const QString& scratch, const QString& name)
    : dir_(scratch + '/' + name) {}

PrivateServer::~PrivateServer() {
  Stop();
}

bool PrivateServer::Start() {
  return QProcess::execute(QStringLiteral(VELTRANO_PULSE_SCRIPT), {"start", dir_}) == 0;
}

void PrivateServer::Stop() {
  QProcess::execute(QStringLiteral(VELTRANO_PULSE_SCRIPT), {"stop", dir_});
}

bool PrivateServer::Signal(int signal) const {
  QFile file(dir_ + "/pid");
  if (!file.open(QIODevice::ReadOnly)) return false;
  const pid_t pid = file.readAll().trimmed().toInt();
  return pid > 0 && ::kill(pid, signal) == 0;
}

QByteArray PrivateServer::Address() const {
  return "unix:" + dir_.toUtf8() + "/native";
}

bool SinkPlayer::Start(const std::vector<int16_t>& samples) {
  QFile file(dir_.filePath("tone.raw"));
  if (!file.open(QIODevice::WriteOnly)) return false;
  const auto bytes = static_cast<qint64>(samples.size() * sizeof(int16_t));
  if (file.write(reinterpret_cast<const char*>(samples.data()), bytes) != bytes) return false;
  file.close();
  process_.start("pacat", {"--playback", "--raw", "--format=s16le", "--rate=48000", "--channels=2",
                           file.fileName()});
  return process_.waitForStarted(5000);
}

bool SinkPlayer::Succeeded() const {
  return process_.state() == QProcess::NotRunning &&
         process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

bool MonitorRecorder::Start() {
  // A short fragment so that stopping loses at most a few milliseconds.
  process_.start("parecord", {"--raw", "--format=s16le", "--rate=48000", "--channels=2",
                              "--latency-msec=20", dir_.filePath("monitor.raw")});
  return process_.waitForStarted(5000);
}

std::vector<int16_t> MonitorRecorder::Stop() {
  process_.terminate();
  if (!process_.waitForFinished(3000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
  QFile file(dir_.filePath("monitor.raw"));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  std::vector<int16_t> samples(static_cast<size_t>(bytes.size()) / 4 * 2);
  std::memcpy(samples.data(), bytes.constData(), samples.size() * sizeof(int16_t));
  return samples;
}

QString Pactl(const QStringList& args) {
  QProcess pactl;
  pactl.start(QStringLiteral("pactl"), args);
  pactl.waitForFinished(5000);
  return QString::fromUtf8(pactl.readAllStandardOutput());
}

QString ServerReport() {
  QString report = Pactl({"info"}) + Pactl({"list", "short", "clients"});
  // The test scripts' servers log next to their socket.
  const QString socket = qEnvironmentVariable("PULSE_SERVER").remove(QStringLiteral("unix:"));
  QFile log(socket.section('/', 0, -2) + "/log");
  if (log.open(QIODevice::ReadOnly)) report += QString::fromUtf8(log.readAll()).right(3000);
  return report;
}

QStringList ClientStreams(const QString& kind) {
  QStringList indices;
  for (const QString& line : Pactl({"list", "short", kind}).split('\n', Qt::SkipEmptyParts))
    if (const QStringList columns = line.split('\t'); columns.size() > 2 && columns[2] != "-")
      indices << columns[0];
  return indices;
}

Mixer::Mixer()
    : loop_(pa_mainloop_new()), context_(pa_context_new(pa_mainloop_get_api(loop_), "mixer")) {
  pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr);
  Await([&] { return pa_context_get_state(context_) == PA_CONTEXT_READY; });
}

Mixer::~Mixer() {
  pa_context_disconnect(context_);
  pa_context_unref(context_);
  pa_mainloop_free(loop_);
}

bool Mixer::MoveSinkInput(const QString& index, const QString& sink) {
  int agreed = -1;
  pa_operation* operation = pa_context_move_sink_input_by_name(
      context_, index.toUInt(), sink.toUtf8().constData(),
      [](pa_context*, int success, void* result) { *static_cast<int*>(result) = success; },
      &agreed);
  if (operation != nullptr) pa_operation_unref(operation);
  return operation != nullptr && Await([&] { return agreed >= 0; }) && agreed == 1;
}

// Runs the client's loop until `done` or a failed connection, for at most 5 s.
bool Mixer::Await(const std::function<bool()>& done) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (!PA_CONTEXT_IS_GOOD(pa_context_get_state(context_)) || clock.hasExpired(5000)) return false;
    pa_mainloop_prepare(loop_, 10 * 1000);
    pa_mainloop_poll(loop_);
    pa_mainloop_dispatch(loop_);
  }
  return true;
}
