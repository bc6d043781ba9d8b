// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The capture stream on the sound server: fills the queued buffers in order
// and hands each back once it is full. While no buffer is queued the input
// waits in the server (a few seconds of it), so a late owner loses nothing
// and catches up block by block; what is lost beyond that is counted exactly
// where it happened and marked on the block that follows it.

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
  // Lock held, either thread: fills the queued buffers from what the server
  // holds.
  void Fill();

protected:
  bool Capture() const override { return true; }
  int Connect(pa_stream* stream, const char* device) override;
  void OnLost() override { recording_ = false; }

private:
  // Why input went missing: the program held every buffer too long, the
  // program (its audio thread) did not run, or the server sent nothing.
  enum Cause { Held, NotRunning, ServerSilent, CauseCount };

  static void OnReadable(pa_stream* stream, size_t bytes, void* userdata);
  void Discard();
  // Follows where the input stands against the clock; see the .cpp.
  void Track(pa_usec_t now);
  void Confirm(pa_usec_t now);
  void Tell(Cause cause, uint64_t frames, double seconds) const;
  double Frames(uint64_t bytes) const;
  size_t HoldBytes() const; // what the server holds for us
  void Beat();

  bool recording_ = false;  // guarded: started and not reset since
  size_t peeked_ = 0;       // guarded: bytes of the fragment at the head already taken
  uint64_t taken_ = 0;      // guarded: bytes copied into buffers since the start
  uint64_t lostFrames_ = 0; // guarded: lost before buffers that were handed back

  // Guarded. The arrival model: bytes that arrived against the time since the
  // first did ("lead", frames). A loss lowers the lead for good; a late wake
  // only for a moment.
  bool tracking_ = false;
  pa_usec_t start_ = 0, lastArrival_ = 0;
  int beats_ = 0; // since the last arrival
  uint64_t startBytes_ = 0, arrivedBefore_ = 0;
  double best_ = 0;
  // A fall of the lead not yet judged: data from `holdFrom_` on is kept back
  // until it is known whether a gap lies there.
  bool suspect_ = false;
  bool doubtful_ = false; // the block being filled took input from beyond holdFrom_
  uint64_t holdFrom_ = 0;
  double peak_ = 0, climbed_ = 0; // the highest lead since, and at the last climb
  pa_usec_t peakAt_ = 0, silence_ = 0;
  int arrivalsSincePeak_ = 0;
  Cause cause_ = Held;
  // A gap found and not yet handed out: its frames lie in [gapFrom_, gapTo_)
  // of the bytes that arrived.
  uint64_t gapFrom_ = 0, gapTo_ = 0, gapFrames_ = 0;
  Cause gapCause_ = Held;
  double gapSeconds_ = 0;
  // Guarded: gaps handed out, and the causes told.
  int toldGaps_ = 0;
  bool told_[CauseCount] = {};
  pa_time_event* beat_ = nullptr; // guarded: the audio thread's heartbeat while recording
};
