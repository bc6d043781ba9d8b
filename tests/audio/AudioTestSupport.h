// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for the tests of the wave-audio service against a real sound server:
// the format, a notification log and buffers. Waiting, servers and players
// come from the shared sound-server helpers.

#include <QElapsedTimer>
#include <QObject>

#include <functional>
#include <vector>

#include "platform/WaveAudio.h"
#include "tests/pulse/PulseTestSupport.h"

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
    uint32_t lostFrames;    // input lost before the buffer
    bool gap;               // the buffer's span holds lost input
  };

  bool event(QEvent* event) override;
  size_t Count(uint32_t message) const;
  // Input frames the buffers said were lost.
  uint64_t LostFrames() const;
  std::vector<Entry> entries;
  std::function<void(const DeviceEvent&)> onEvent;

private:
  QElapsedTimer clock_ = StartedClock();
  static QElapsedTimer StartedClock();
};

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
