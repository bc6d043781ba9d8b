// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/FakeWaveAudio.h"

#include <cstring>

#include <QCoreApplication>

HWAVEIN FakeWaveAudio::InHandle() {
  return reinterpret_cast<HWAVEIN>(&handles_[static_cast<size_t>(inGeneration_ % 2048)]);
}

HWAVEOUT FakeWaveAudio::OutHandle() {
  return reinterpret_cast<HWAVEOUT>(&handles_[2048 + static_cast<size_t>(outGeneration_ % 2048)]);
}

void FakeWaveAudio::Post(uint32_t message, void* device, WAVEHDR* header, MMRESULT code) {
  QObject* target = (message >= MM_WIM_OPEN && message <= MM_WIM_DATA) || message == MM_WIM_LOST
                        ? inTarget_
                        : outTarget_;
  if (target != nullptr)
    QCoreApplication::postEvent(target, new DeviceEvent(message, device, header, code));
}

std::vector<int16_t> FakeWaveAudio::SquareBlock(int16_t left, int16_t right) {
  std::vector<int16_t> block(4096);
  for (size_t frame = 0; frame < 2048; ++frame) {
    const bool negative = (frame / 24) % 2 == 1;
    block[2 * frame] = static_cast<int16_t>(negative ? -left : left);
    block[2 * frame + 1] = static_cast<int16_t>(negative ? -right : right);
  }
  return block;
}

bool FakeWaveAudio::DeliverBlock(const std::vector<int16_t>& interleaved) {
  if (!inOpen_ || inQueue_.empty()) return false;
  WAVEHDR* header = inQueue_.front();
  inQueue_.pop_front();
  std::memcpy(header->lpData, interleaved.data(),
              std::min<size_t>(header->dwBufferLength, interleaved.size() * sizeof(int16_t)));
  header->dwBytesRecorded = header->dwBufferLength;
  header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
  Post(MM_WIM_DATA, InHandle(), header);
  return true;
}

void FakeWaveAudio::LoseInput(MMRESULT code) {
  Post(MM_WIM_LOST, InHandle(), nullptr, code);
}
void FakeWaveAudio::LoseOutput(MMRESULT code) {
  Post(MM_WOM_LOST, OutHandle(), nullptr, code);
}

bool FakeWaveAudio::PlayNext() {
  if (!outOpen_ || outQueue_.empty()) return false;
  WAVEHDR* header = outQueue_.front();
  outQueue_.pop_front();
  const auto* samples = reinterpret_cast<const int16_t*>(header->lpData);
  Played.emplace_back(samples, samples + header->dwBufferLength / sizeof(int16_t));
  header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
  Post(MM_WOM_DONE, OutHandle(), header);
  return true;
}

MMRESULT FakeWaveAudio::WaveInOpen(HWAVEIN* phwi, uint32_t, const WAVEFORMATEX*, QObject* target,
                                   uintptr_t, uint32_t flags) {
  if (flags & WAVE_FORMAT_QUERY)
    return (flags & WAVE_MAPPED) ? MappedQueryResult : DeviceQueryResult;
  ++InOpens;
  if (InOpenResult != 0) return InOpenResult;
  if (inOpen_) ++InOpensWhileOpen;
  ++inGeneration_;
  inOpen_ = true;
  inTarget_ = target;
  *phwi = InHandle();
  return 0;
}

MMRESULT FakeWaveAudio::WaveInPrepareHeader(HWAVEIN, WAVEHDR* header, uint32_t) {
  if (InPrepareResult != 0) return InPrepareResult;
  header->dwFlags |= WHDR_PREPARED;
  return 0;
}

MMRESULT FakeWaveAudio::WaveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, uint32_t) {
  ++InAdds;
  if (InAddResult != 0) return InAddResult;
  if (!inOpen_ || hwi != InHandle()) return MMSYSERR_INVALHANDLE;
  header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
  inQueue_.push_back(header);
  return 0;
}

MMRESULT FakeWaveAudio::WaveInStart(HWAVEIN) {
  ++InStarts;
  return InStartResult;
}

MMRESULT FakeWaveAudio::WaveInReset(HWAVEIN hwi) {
  ++InResets;
  if (hwi != InHandle()) return MMSYSERR_INVALHANDLE;
  while (!inQueue_.empty()) {
    WAVEHDR* header = inQueue_.front();
    inQueue_.pop_front();
    header->dwBytesRecorded = 0;
    header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
    Post(MM_WIM_DATA, hwi, header);
  }
  return 0;
}

MMRESULT FakeWaveAudio::WaveInClose(HWAVEIN hwi) {
  ++InCloses;
  if (hwi != InHandle() || !inQueue_.empty()) return WAVERR_STILLPLAYING;
  inOpen_ = false;
  if (!SwallowInClose) Post(MM_WIM_CLOSE, hwi, nullptr);
  return 0;
}

MMRESULT FakeWaveAudio::WaveOutOpen(HWAVEOUT* phwo, uint32_t, const WAVEFORMATEX*, QObject* target,
                                    uintptr_t, uint32_t) {
  ++OutOpens;
  if (OutOpenResult != 0) return OutOpenResult;
  ++outGeneration_;
  outOpen_ = true;
  outTarget_ = target;
  *phwo = OutHandle();
  Post(MM_WOM_OPEN, *phwo, nullptr);
  return 0;
}

MMRESULT FakeWaveAudio::WaveOutPrepareHeader(HWAVEOUT, WAVEHDR* header, uint32_t) {
  if (OutPrepareResult != 0) return OutPrepareResult;
  header->dwFlags |= WHDR_PREPARED;
  return 0;
}

MMRESULT FakeWaveAudio::WaveOutUnprepareHeader(HWAVEOUT, WAVEHDR* header, uint32_t) {
  if (OutUnprepareResult != 0) return OutUnprepareResult;
  header->dwFlags &= ~WHDR_PREPARED;
  return 0;
}

MMRESULT FakeWaveAudio::WaveOutWrite(HWAVEOUT hwo, WAVEHDR* header, uint32_t) {
  ++OutWrites;
  if (OutWriteResult != 0) return OutWriteResult;
  if (!outOpen_ || hwo != OutHandle()) return MMSYSERR_INVALHANDLE;
  if (!(header->dwFlags & WHDR_PREPARED)) return WAVERR_UNPREPARED;
  header->dwFlags = (header->dwFlags | WHDR_INQUEUE) & ~WHDR_DONE;
  outQueue_.push_back(header);
  return 0;
}

MMRESULT FakeWaveAudio::WaveOutReset(HWAVEOUT hwo) {
  ++OutResets;
  if (hwo != OutHandle()) return MMSYSERR_INVALHANDLE;
  while (!outQueue_.empty()) {
    WAVEHDR* header = outQueue_.front();
    outQueue_.pop_front();
    header->dwFlags = (header->dwFlags | WHDR_DONE) & ~WHDR_INQUEUE;
    Post(MM_WOM_DONE, hwo, header);
  }
  return 0;
}

MMRESULT FakeWaveAudio::WaveOutClose(HWAVEOUT hwo) {
  ++OutCloses;
  if (hwo != OutHandle()) return MMSYSERR_INVALHANDLE;
  outOpen_ = false;
  Post(MM_WOM_CLOSE, hwo, nullptr);
  return 0;
}
