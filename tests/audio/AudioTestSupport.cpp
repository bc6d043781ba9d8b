#include "AudioTestSupport.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <csignal>

WAVEFORMATEX StereoFormat() {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = 2;
  format.nSamplesPerSec = 48000;
  format.wBitsPerSample = 16;
  format.nBlockAlign = 4;
  format.nAvgBytesPerSec = 192000;
  format.cbSize = 0;
  return format;
}

QElapsedTimer EventLog::StartedClock() {
  QElapsedTimer clock;
  clock.start();
  return clock;
}

bool EventLog::event(QEvent* event) {
  auto* device = dynamic_cast<DeviceEvent*>(event);
  if (device == nullptr) return QObject::event(event);
  const WAVEHDR* header = device->Header;
  entries.push_back({device->Message, device->Device, device->Header, device->Code,
                     header != nullptr ? header->dwBytesRecorded : 0,
                     header != nullptr ? header->dwFlags : 0, clock_.elapsed()});
  if (onEvent) onEvent(*device);
  return true;
}

size_t EventLog::Count(uint32_t message) const {
  return static_cast<size_t>(std::count_if(entries.begin(), entries.end(),
                                           [&](const Entry& e) { return e.message == message; }));
}

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() >= timeoutMs) return false;
    Pump(10);
  }
  return true;
}

void Pump(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

Buffers::Buffers(size_t count, uint32_t bytes) : blocks_(count), headers_(count) {
  for (size_t i = 0; i < count; ++i) {
    blocks_[i].assign(bytes, 0);
    headers_[i] = WAVEHDR{};
    headers_[i].lpData = blocks_[i].data();
    headers_[i].dwBufferLength = bytes;
  }
}

int Buffers::IndexOf(const WAVEHDR* header) const {
  for (size_t i = 0; i < headers_.size(); ++i)
    if (&headers_[i] == header) return static_cast<int>(i);
  return -1;
}

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

PrivateServer::PrivateServer(const QString& name)
    : dir_(QStringLiteral(VELTRANO_AUDIO_SCRATCH "/") + name) {}

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

bool RawPlayer::Start(const std::vector<int16_t>& samples) {
  QFile file(dir_.filePath("tone.raw"));
  if (!file.open(QIODevice::WriteOnly)) return false;
  const auto bytes = static_cast<qint64>(samples.size() * sizeof(int16_t));
  if (file.write(reinterpret_cast<const char*>(samples.data()), bytes) != bytes) return false;
  file.close();
  process_.start("pacat", {"--playback", "--raw", "--format=s16le", "--rate=48000", "--channels=2",
                           file.fileName()});
  return process_.waitForStarted(5000);
}

bool RawPlayer::Succeeded() const {
  return process_.state() == QProcess::NotRunning &&
         process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}
