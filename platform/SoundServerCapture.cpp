// SPDX-License-Identifier: GPL-3.0-or-later
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
// What the server holds for us while no buffer is queued: a window late by
// 2 s, or a program stopped for as long, loses nothing.
constexpr double kHoldSeconds = 4;
// A fall of the lead by more than two blocks is looked at; it is a loss when
// the lead has not come back after a third of a second and a few arrivals
// (a late wake comes back at the next one). Smaller losses than this do not
// happen: the server drops whole stretches when what it holds overflows.
constexpr double kSuspectFrames = 2 * kFragmentFrames;
constexpr pa_usec_t kConfirmUsec = 300 * PA_USEC_PER_MSEC;
constexpr int kConfirmArrivals = 3;
constexpr pa_usec_t kSettleUsec = 500 * PA_USEC_PER_MSEC;
// Sound cards' clocks stray from the system's by far less than this.
constexpr double kDriftAllowance = 1e-3;
// While recording the audio thread wakes this often, so that a silence of the
// server can be told from one of the program.
constexpr pa_usec_t kBeatUsec = 250 * PA_USEC_PER_MSEC;
} // namespace

SoundServerCapture::SoundServerCapture(SoundServerConnection& link, QObject* target)
    : SoundServerStream(link, target, {MM_WIM_DATA, MM_WIM_CLOSE, MM_WIM_LOST}) {}

// Lost input falsifies every measurement made meanwhile: the first gap of each
// cause is told when its block is handed back; the whole count, when there
// was more than one gap, once the input closes.
SoundServerCapture::~SoundServerCapture() {
  if (beat_ != nullptr) pa_threaded_mainloop_get_api(link_.Loop())->time_free(beat_);
  if (toldGaps_ > 1)
    std::fprintf(stderr, "veltrano: in all %llu frames of sound input were lost in %d gaps\n",
                 static_cast<unsigned long long>(lostFrames_), toldGaps_);
}

void SoundServerCapture::Tell(Cause cause, uint64_t frames, double seconds) const {
  const auto count = static_cast<unsigned long long>(frames);
  switch (cause) {
  case Held:
    std::fprintf(stderr,
                 "veltrano: %llu frames of sound input were lost: the program did not take its "
                 "input for more than the %.0f s the sound server holds\n",
                 count, kHoldSeconds);
    break;
  case NotRunning:
    std::fprintf(stderr,
                 "veltrano: %llu frames of sound input were lost: the program did not run for "
                 "%.1f s (it was stopped, or the machine gave it no time)\n",
                 count, seconds);
    break;
  default:
    std::fprintf(stderr,
                 "veltrano: %llu frames of sound input were lost: the sound server sent nothing "
                 "for %.1f s\n",
                 count, seconds);
    break;
  }
}

size_t SoundServerCapture::HoldBytes() const {
  return pa_usec_to_bytes(static_cast<pa_usec_t>(kHoldSeconds * PA_USEC_PER_SEC), &SampleSpec());
}

double SoundServerCapture::Frames(uint64_t bytes) const {
  return static_cast<double>(bytes / pa_frame_size(&SampleSpec()));
}

int SoundServerCapture::Connect(pa_stream* stream, const char* device) {
  pa_stream_set_read_callback(stream, OnReadable, this);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<uint32_t>(HoldBytes());
  attr.tlength = static_cast<uint32_t>(-1);
  attr.prebuf = static_cast<uint32_t>(-1);
  attr.minreq = static_cast<uint32_t>(-1);
  attr.fragsize = static_cast<uint32_t>(kFragmentFrames * pa_frame_size(&SampleSpec()));
  const auto flags =
      static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_ADJUST_LATENCY);
  return pa_stream_connect_record(stream, device, &attr, flags);
}

void SoundServerCapture::Start() {
  Discard();
  recording_ = true;
  tracking_ = suspect_ = false;
  taken_ = gapFrom_ = gapTo_ = gapFrames_ = 0;
  Beat();
  if (pa_operation* operation = pa_stream_cork(stream_, 0, nullptr, nullptr))
    pa_operation_unref(operation);
}

void SoundServerCapture::Reset() {
  recording_ = false;
  if (!Lost()) {
    if (pa_operation* operation = pa_stream_cork(stream_, 1, nullptr, nullptr))
      pa_operation_unref(operation);
    if (pa_operation* operation = pa_stream_flush(stream_, nullptr, nullptr))
      pa_operation_unref(operation);
    Discard();
  }
  // A gap still ahead of the buffers was never taken: the owner held them
  // on purpose (STOP), nothing was lost.
  gapFrames_ = 0;
  ReturnAll();
}

// Lock held: drops what the server holds; none of it will be recorded.
void SoundServerCapture::Discard() {
  const void* data = nullptr;
  size_t bytes = 0;
  while (pa_stream_peek(stream_, &data, &bytes) == 0 && bytes > 0)
    pa_stream_drop(stream_);
  peeked_ = 0;
}

// Audio thread, lock held: every arrival of input from the server.
void SoundServerCapture::OnReadable(pa_stream*, size_t, void* userdata) {
  auto* self = static_cast<SoundServerCapture*>(userdata);
  if (!self->recording_) return self->Discard();
  self->Track(pa_rtclock_now());
  self->Fill();
}

// The audio thread wakes now and then while recording: an arrival after a
// silence with beats in it was the server's silence, not the program's (a
// program that was stopped finds one beat overdue when it runs again).
void SoundServerCapture::Beat() {
  pa_mainloop_api* api = pa_threaded_mainloop_get_api(link_.Loop());
  timeval when;
  pa_timeval_add(pa_gettimeofday(&when), kBeatUsec);
  if (beat_ != nullptr) return api->time_restart(beat_, &when);
  beat_ = api->time_new(
      api, &when,
      [](pa_mainloop_api*, pa_time_event*, const timeval*, void* userdata) {
        auto* self = static_cast<SoundServerCapture*>(userdata);
        ++self->beats_;
        if (self->recording_) self->Beat();
      },
      this);
}

// The input arrives at the device's rate: its frames counted against the
// clock since the first arrival (the lead) stay level, rising and falling by
// less than a block as the server's wakes come early or late. Input lost on
// the way - dropped by the server, or by the client library, when what is
// held overflowed - lowers the lead for good by exactly the frames lost.
void SoundServerCapture::Track(pa_usec_t now) {
  const size_t readable = pa_stream_readable_size(stream_);
  if (readable == static_cast<size_t>(-1)) return;
  const uint64_t arrived = taken_ - peeked_ + readable;
  if (!tracking_) {
    tracking_ = true;
    start_ = lastArrival_ = now;
    startBytes_ = arrivedBefore_ = arrived;
    best_ = 0;
    return;
  }
  const double lead = Frames(arrived - startBytes_) - static_cast<double>(now - start_) *
                                                          SampleSpec().rate /
                                                          static_cast<double>(PA_USEC_PER_SEC);
  if (!suspect_) {
    // The first arrivals may come in a burst, or late: the level is what
    // follows them.
    best_ = now - start_ < kSettleUsec
                ? lead
                : std::max(lead, best_ - kDriftAllowance * static_cast<double>(now - lastArrival_) *
                                             SampleSpec().rate / PA_USEC_PER_SEC);
    if (lead < best_ - kSuspectFrames) {
      suspect_ = true;
      holdFrom_ = arrivedBefore_;
      peak_ = climbed_ = lead;
      peakAt_ = now;
      arrivalsSincePeak_ = 0;
      silence_ = now - lastArrival_;
      const uint64_t held = arrived - taken_;
      const uint64_t hold =
          pa_usec_to_bytes(static_cast<pa_usec_t>(kHoldSeconds * PA_USEC_PER_SEC), &SampleSpec());
      cause_ = held + 2 * kFragmentFrames * pa_frame_size(&SampleSpec()) >= hold ? Held
               : beats_ >= 2                                                     ? ServerSilent
                                                                                 : NotRunning;
    }
  } else if (lead >= best_ - kSuspectFrames) {
    suspect_ = false;
  } else {
    // The lead climbs back while what was held arrives, in steps or slowly;
    // once it has not climbed by half a block for a while, the rest is lost.
    if (lead > climbed_ + kFragmentFrames / 2) {
      climbed_ = lead;
      peakAt_ = now;
      arrivalsSincePeak_ = 0;
    } else {
      ++arrivalsSincePeak_;
    }
    peak_ = std::max(peak_, lead);
    if (now - peakAt_ >= kConfirmUsec && arrivalsSincePeak_ >= kConfirmArrivals) {
      const auto frames = static_cast<uint64_t>(best_ - peak_ + 0.5);
      // A second gap before the first was handed out joins it.
      if (gapFrames_ == 0) {
        gapFrom_ = holdFrom_;
        gapCause_ = cause_;
        gapSeconds_ = 0;
      }
      gapTo_ = arrived;
      gapFrames_ += frames;
      gapSeconds_ = std::max(gapSeconds_, static_cast<double>(silence_) / PA_USEC_PER_SEC);
      best_ = peak_;
      suspect_ = false;
    }
  }
  lastArrival_ = now;
  arrivedBefore_ = arrived;
  beats_ = 0;
}

// Copies into the buffers at the head of the queue; a null fragment is a hole
// in the stream and becomes silence. While a fall of the lead is judged, input
// beyond where it began stays where it is.
void SoundServerCapture::Fill() {
  if (!recording_ || Lost()) return;
  while (WAVEHDR* header = Head()) {
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream_, &data, &bytes) != 0 || bytes == 0) return;
    size_t count =
        std::min<size_t>(bytes - peeked_, header->dwBufferLength - header->dwBytesRecorded);
    // Near the top of what the client library holds, input kept back would
    // overflow it: it goes on, and its block is marked as one that may hold
    // the gap.
    if (suspect_ && taken_ >= holdFrom_) {
      const size_t margin = 4 * kFragmentFrames * pa_frame_size(&SampleSpec());
      if (pa_stream_readable_size(stream_) + margin < HoldBytes()) return;
      doubtful_ = true;
    } else if (suspect_) {
      count = std::min<size_t>(count, holdFrom_ - taken_);
    }
    char* target = header->lpData + header->dwBytesRecorded;
    if (data != nullptr)
      std::memcpy(target, static_cast<const char*>(data) + peeked_, count);
    else
      std::memset(target, SilenceByte(SampleSpec().format), count);
    const uint64_t from = taken_;
    taken_ += count;
    peeked_ += count;
    header->dwBytesRecorded += static_cast<uint32_t>(count);
    if (peeked_ == bytes) {
      pa_stream_drop(stream_);
      peeked_ = 0;
    }
    // A block that holds part of a gap's span carries it; the first carries
    // its frames, which are told then.
    const uint64_t blockStart = from - (header->dwBytesRecorded - count);
    if (header->dwBytesRecorded < header->dwBufferLength) continue;
    const bool gap = std::exchange(doubtful_, false) ||
                     (gapFrom_ < gapTo_ && blockStart < gapTo_ && taken_ > gapFrom_);
    uint32_t lost = 0;
    if (gap && gapFrames_ != 0) {
      lost = static_cast<uint32_t>(std::exchange(gapFrames_, 0));
      lostFrames_ += lost;
      if (!told_[gapCause_]) Tell(gapCause_, lost, gapSeconds_);
      told_[gapCause_] = true;
      ++toldGaps_;
    }
    Finish(Dequeue(), lost, gap);
  }
}
