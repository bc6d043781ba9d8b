#include "platform/SoundServerCapture.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

#include "platform/SoundServerFormat.h"

namespace {
// The server is asked for the input one block (2048 frames) at a time: the
// audio thread then wakes about once per block, where the server allows it.
constexpr size_t kFragmentFrames = 2048;
// The server sends a block about every 43 ms: a second without input is a
// server that did not answer, and the input it then sends at once overflows
// the window's buffers.
constexpr pa_usec_t kStallUsec = PA_USEC_PER_SEC;
} // namespace

SoundServerCapture::SoundServerCapture(SoundServerConnection& link, QObject* target)
    : SoundServerStream(link, target, {MM_WIM_DATA, MM_WIM_CLOSE, MM_WIM_LOST}) {}

// Lost input falsifies every measurement made meanwhile, so the user hears of
// it on the terminal, once, when the input closes.
SoundServerCapture::~SoundServerCapture() {
  const auto frames = [this](uint64_t bytes) {
    return static_cast<unsigned long long>(bytes / pa_frame_size(&SampleSpec()));
  };
  if (stallLostBytes_ != 0)
    std::fprintf(stderr,
                 "veltrano: %llu frames of sound input were lost: the sound server did not "
                 "answer for %.1f s and then sent more than the window's buffers hold\n",
                 frames(stallLostBytes_), static_cast<double>(longestStall_) / PA_USEC_PER_SEC);
  if (lostBytes_ != 0)
    std::fprintf(stderr,
                 "veltrano: %llu frames of sound input were lost: the window did not hand its "
                 "buffers back in time\n",
                 frames(lostBytes_));
}

int SoundServerCapture::Connect(pa_stream* stream, const char* device) {
  pa_stream_set_read_callback(stream, OnReadable, this);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(-1);
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(kFragmentFrames * pa_frame_size(&SampleSpec()));
  const auto flags =
      static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
  return pa_stream_connect_record(stream, device, &attr, flags);
}

void SoundServerCapture::Start() {
  recording_ = true;
  lastDelivery_ = 0;
  if (pa_operation* operation = pa_stream_cork(stream_, 0, nullptr, nullptr))
    pa_operation_unref(operation);
}

void SoundServerCapture::Reset() {
  recording_ = false;
  gapBytes_ = 0;
  if (!Lost()) {
    if (pa_operation* operation = pa_stream_cork(stream_, 1, nullptr, nullptr))
      pa_operation_unref(operation);
    if (pa_operation* operation = pa_stream_flush(stream_, nullptr, nullptr))
      pa_operation_unref(operation);
  }
  ReturnAll();
}

uint64_t SoundServerCapture::DroppedFrames() const {
  return droppedBytes_.load(std::memory_order_relaxed) / pa_frame_size(&SampleSpec());
}

// Audio thread, lock held: drains everything the server has delivered.
void SoundServerCapture::OnReadable(pa_stream* stream, size_t, void* userdata) {
  auto* self = static_cast<SoundServerCapture*>(userdata);
  const pa_usec_t now = pa_rtclock_now();
  if (self->recording_ && self->lastDelivery_ != 0 && now - self->lastDelivery_ > kStallUsec) {
    self->stallEnd_ = now;
    self->longestStall_ = std::max(self->longestStall_, now - self->lastDelivery_);
  }
  self->lastDelivery_ = now;
  const void* data = nullptr;
  size_t bytes = 0;
  while (pa_stream_peek(stream, &data, &bytes) == 0 && bytes > 0) {
    self->Take(static_cast<const char*>(data), bytes);
    pa_stream_drop(stream);
  }
}

// Copies into the buffers at the head of the queue; null data is a hole in the
// stream and becomes silence. Data that arrives after a reset is no loss.
void SoundServerCapture::Take(const char* data, size_t bytes) {
  if (!recording_) return;
  while (bytes > 0) {
    WAVEHDR* header = Head();
    if (header == nullptr) {
      droppedBytes_.fetch_add(bytes, std::memory_order_relaxed);
      if (gapBytes_ == 0) gapAfterStall_ = stallEnd_ != 0 && lastDelivery_ - stallEnd_ < kStallUsec;
      gapBytes_ += bytes;
      return;
    }
    // A buffer queued again after a gap: the window was taking blocks, so the
    // gap was lost, not held back on purpose (STOP keeps every buffer).
    (gapAfterStall_ ? stallLostBytes_ : lostBytes_) += std::exchange(gapBytes_, 0);
    const size_t count = std::min<size_t>(bytes, header->dwBufferLength - header->dwBytesRecorded);
    char* target = header->lpData + header->dwBytesRecorded;
    if (data != nullptr) {
      std::memcpy(target, data, count);
      data += count;
    } else {
      std::memset(target, SilenceByte(SampleSpec().format), count);
    }
    header->dwBytesRecorded += static_cast<uint32_t>(count);
    bytes -= count;
    if (header->dwBytesRecorded == header->dwBufferLength) Finish(Dequeue());
  }
}
