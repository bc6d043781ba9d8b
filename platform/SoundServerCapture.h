#pragma once
// The capture stream on the sound server: fills the queued buffers in order
// and hands each back once it is full.

#include <atomic>
#include <cstdint>

#include "platform/SoundServerStream.h"

class SoundServerCapture final : public SoundServerStream {
public:
  SoundServerCapture(SoundServerConnection& link, QObject* target);
  // Lock held. Reports lost input on stderr, if there was any.
  ~SoundServerCapture() override;

  // Lock held. Start uncorks; Reset corks, flushes and returns every buffer,
  // each with the bytes it holds so far.
  void Start();
  void Reset();

  // Frames the server delivered while recording with no buffer queued (any
  // thread).
  uint64_t DroppedFrames() const;

protected:
  bool Capture() const override { return true; }
  int Connect(pa_stream* stream, const char* device) override;
  void OnLost() override { recording_ = false; }

private:
  static void OnReadable(pa_stream* stream, size_t bytes, void* userdata);
  void Take(const char* data, size_t bytes);

  bool recording_ = false; // guarded: started and not reset since
  std::atomic<uint64_t> droppedBytes_{0};
  uint64_t gapBytes_ = 0;  // guarded: dropped since the last buffer was filled
  uint64_t lostBytes_ = 0; // guarded: gaps after which buffers came again
};
