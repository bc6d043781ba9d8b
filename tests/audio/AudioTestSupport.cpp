// SPDX-License-Identifier: GPL-3.0-or-later
#include "AudioTestSupport.h"

#include <algorithm>

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
                     header != nullptr ? header->dwFlags : 0, clock_.elapsed(), device->LostFrames,
                     device->Gap});
  if (onEvent) onEvent(*device);
  return true;
}

uint64_t EventLog::LostFrames() const {
  uint64_t frames = 0;
  for (const Entry& entry : entries)
    frames += entry.lostFrames;
  return frames;
}

size_t EventLog::Count(uint32_t message) const {
  return static_cast<size_t>(std::count_if(entries.begin(), entries.end(),
                                           [&](const Entry& e) { return e.message == message; }));
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
