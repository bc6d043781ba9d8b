// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SoundServerPlayback.h"

#include <algorithm>
#include <cstring>

namespace {
// The server asks for more output two blocks (4096 frames) at a time, so the
// audio thread wakes for the output half as often as for the input, not at
// the server's default of a quarter of the latency.
constexpr size_t kBlockFrames = 2048;
constexpr size_t kRequestFrames = 2 * kBlockFrames;
// The server holds six blocks (256 ms) ahead of the speaker, so a change
// reaches the output within a buffer while the stream never runs dry. The
// server keeps two requests of it in reserve and lets the device run on half
// of the rest, one block: a shorter hold would have the device, and with it
// the server, wake more often than once per block.
constexpr size_t kHeldFrames = 6 * kBlockFrames;
// After an underrun or a reset, playing resumes once this much is there.
constexpr pa_usec_t kStartThreshold = 20 * PA_USEC_PER_MSEC;
} // namespace

SoundServerPlayback::SoundServerPlayback(SoundServerConnection& link, QObject* target)
    : SoundServerStream(link, target, {MM_WOM_DONE, MM_WOM_CLOSE, MM_WOM_LOST}) {}

int SoundServerPlayback::Connect(pa_stream* stream, const char* device) {
  pa_stream_set_write_callback(stream, OnWritable, this);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(-1);
  attr.tlength = static_cast<uint32_t>(
      holdMs_ != 0 ? pa_usec_to_bytes(holdMs_ * PA_USEC_PER_MSEC, &SampleSpec())
                   : kHeldFrames * pa_frame_size(&SampleSpec()));
  attr.prebuf = static_cast<uint32_t>(pa_usec_to_bytes(kStartThreshold, &SampleSpec()));
  attr.minreq = static_cast<uint32_t>(kRequestFrames * pa_frame_size(&SampleSpec()));
  attr.fragsize = static_cast<uint32_t>(-1);
  return pa_stream_connect_playback(stream, device, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                    nullptr);
}

void SoundServerPlayback::Write(WAVEHDR* header) {
  header->reserved = 0;
  Enqueue(header);
  Feed();
}

void SoundServerPlayback::Reset() {
  if (!Lost()) {
    if (pa_operation* operation = pa_stream_flush(stream_, nullptr, nullptr))
      pa_operation_unref(operation);
  }
  ReturnAll();
}

void SoundServerPlayback::OnWritable(pa_stream*, size_t, void* userdata) {
  static_cast<SoundServerPlayback*>(userdata)->Feed();
}

// Lock held, on either thread: copies from the queued buffers, in order, as
// much as the server asks for. A buffer's `reserved` field counts the bytes
// already handed over; one whose last byte went out is returned at once.
void SoundServerPlayback::Feed() {
  if (Lost()) return;
  const size_t frame = pa_frame_size(&SampleSpec());
  size_t wanted = pa_stream_writable_size(stream_);
  while (wanted > 0 && wanted != static_cast<size_t>(-1) && Head() != nullptr) {
    void* chunk = nullptr;
    size_t size = wanted;
    if (pa_stream_begin_write(stream_, &chunk, &size) < 0 || chunk == nullptr) return;
    size -= size % frame;
    if (size == 0) {
      pa_stream_cancel_write(stream_);
      return;
    }
    size_t filled = 0;
    while (filled < size && Head() != nullptr) {
      WAVEHDR* header = Head();
      const size_t count =
          std::min<size_t>(size - filled, header->dwBufferLength - header->reserved);
      std::memcpy(static_cast<char*>(chunk) + filled, header->lpData + header->reserved, count);
      header->reserved += count;
      filled += count;
      if (header->reserved == header->dwBufferLength) Finish(Dequeue());
    }
    if (pa_stream_write(stream_, chunk, filled, nullptr, 0, PA_SEEK_RELATIVE) < 0) return;
    wanted -= std::min(wanted, filled);
  }
}
