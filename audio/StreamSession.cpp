// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/StreamSession.h"

#include <utility>

#include <QCoreApplication>
#include <QElapsedTimer>

WAVEFORMATEX SessionFormat::Wave() const {
  WAVEFORMATEX format{};
  format.wFormatTag = WAVE_FORMAT_PCM;
  format.nChannels = Channels;
  format.nSamplesPerSec = Rate;
  format.wBitsPerSample = Bits;
  format.nBlockAlign = static_cast<uint16_t>(Channels * Bits / 8);
  format.nAvgBytesPerSec = Rate * format.nBlockAlign;
  return format;
}

StreamSession::StreamSession(WaveAudio& audio, QObject* target, SessionFormat format)
    : audio_(audio), target_(target), format_(format.Wave()), outputHoldMs_(format.OutputHoldMs) {}

// The service detaches devices still open when it goes; a session that goes
// first leaves them to it.
StreamSession::~StreamSession() = default;

MMRESULT StreamSession::OpenInput() {
  HWAVEIN device = nullptr;
  const MMRESULT code = audio_.WaveInOpen(&device, 0, &format_, target_, 0, CALLBACK_WINDOW);
  if (code == MMSYSERR_NOERROR) in_ = device;
  return code;
}

MMRESULT StreamSession::StartInput(std::span<WAVEHDR* const> buffers, const char** step) {
  for (WAVEHDR* buffer : buffers) {
    *step = "WaveInPrepareHeader";
    if (const MMRESULT code = audio_.WaveInPrepareHeader(in_, buffer, sizeof(WAVEHDR))) return code;
    *step = "WaveInAddBuffer";
    if (const MMRESULT code = audio_.WaveInAddBuffer(in_, buffer, sizeof(WAVEHDR))) return code;
  }
  *step = "WaveInStart";
  return audio_.WaveInStart(in_);
}

MMRESULT StreamSession::Requeue(WAVEHDR* buffer) {
  return audio_.WaveInAddBuffer(in_, buffer, sizeof(WAVEHDR));
}

void StreamSession::ReleaseInput() {
  if (in_ == nullptr) return;
  inClosing_ = std::exchange(in_, nullptr);
  audio_.WaveInReset(inClosing_);
  // A device that refuses its close sends none.
  if (audio_.WaveInClose(inClosing_) != MMSYSERR_NOERROR) inClosing_ = nullptr;
}

bool StreamSession::CloseInput(int timeoutMs) {
  if (in_ == nullptr) return true;
  ReleaseInput();
  const bool closing = inClosing_ != nullptr;
  QElapsedTimer waited;
  waited.start();
  while (closing && inClosing_ != nullptr && waited.elapsed() < timeoutMs)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  // A close that never comes no longer matches anything.
  const bool closed = closing && inClosing_ == nullptr;
  inClosing_ = nullptr;
  return closed;
}

MMRESULT StreamSession::OpenOutput() {
  audio_.HoldOutput(outputHoldMs_);
  HWAVEOUT device = nullptr;
  const MMRESULT code = audio_.WaveOutOpen(&device, 0, &format_, target_, 0, CALLBACK_WINDOW);
  if (code == MMSYSERR_NOERROR) out_ = device;
  return code;
}

MMRESULT StreamSession::Write(WAVEHDR* buffer) {
  if ((buffer->dwFlags & WHDR_PREPARED) == 0)
    if (const MMRESULT code = audio_.WaveOutPrepareHeader(out_, buffer, sizeof(WAVEHDR)))
      return code;
  return audio_.WaveOutWrite(out_, buffer, sizeof(WAVEHDR));
}

MMRESULT StreamSession::Unprepare(WAVEHDR* buffer) {
  return audio_.WaveOutUnprepareHeader(out_, buffer, sizeof(WAVEHDR));
}

// The buffers that come back meanwhile find the output let go.
void StreamSession::ReleaseOutput() {
  const HWAVEOUT released = out_;
  if (released == nullptr) return;
  out_ = nullptr;
  outReleased_ = released;
  audio_.WaveOutReset(released);
  if (audio_.WaveOutClose(released) != MMSYSERR_NOERROR) outReleased_ = nullptr;
}

void StreamSession::AwaitServer() {
  audio_.AwaitServer(target_);
}

StreamSession::Event StreamSession::Take(const DeviceEvent& event) {
  const void* device = event.Device;
  const bool input = device != nullptr && device == in_;
  const bool output = device != nullptr && device == out_;
  switch (event.Message) {
  case MM_WIM_DATA:
    return input ? Event::InputData : Event::Stale;
  case MM_WIM_CLOSE:
    if (device == nullptr || (device != inClosing_ && !input)) return Event::Stale;
    if (device == inClosing_) inClosing_ = nullptr;
    if (input) in_ = nullptr;
    return Event::InputClosed;
  case MM_WIM_LOST:
    return input ? Event::InputLost : Event::Stale;
  case MM_WOM_OPEN:
    return output ? Event::OutputOpen : Event::Stale;
  case MM_WOM_DONE:
    // A buffer of a released device comes back to be kept, not played.
    return output ? Event::OutputDone : Event::Stale;
  case MM_WOM_CLOSE:
    if (device == nullptr || (device != outReleased_ && !output)) return Event::Stale;
    if (device == outReleased_) outReleased_ = nullptr;
    if (output) out_ = nullptr;
    return Event::OutputClosed;
  case MM_WOM_LOST:
    return output ? Event::OutputLost : Event::Stale;
  case MM_SERVER_BACK:
    return Event::ServerBack;
  default:
    return Event::Stale;
  }
}
