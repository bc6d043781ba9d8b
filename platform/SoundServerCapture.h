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
  uint64_t gapBytes_ = 0; // guarded: dropped since the last buffer was filled
  // Guarded: gaps after which buffers came again, by their cause: the window
  // held every buffer, or the server sent nothing for a while and then all of
  // it at once.
  uint64_t lostBytes_ = 0;
  uint64_t stallLostBytes_ = 0;
  pa_usec_t lastDelivery_ = 0; // guarded: when the server last sent input, 0 before the first
  pa_usec_t stallEnd_ = 0;     // guarded: when it sent after its last long silence
  pa_usec_t longestStall_ = 0; // guarded
  bool gapAfterStall_ = false; // guarded: the gap began soon after such a silence
};
