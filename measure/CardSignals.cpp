// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/CardSignals.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace measure {

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;
// Every segment fades in and out over this long, so that no step clicks.
constexpr double FadeSeconds = 0.005;
constexpr double SweepFadeSeconds = 0.010;
constexpr double SweepTailSeconds = 1.0;
// A step of a frequency series holds at least this many cycles.
constexpr double StepCycles = 24.0;
constexpr double StepSeconds = 0.5;

double Amplitude(double dbfs) {
  return std::pow(10.0, dbfs / 20.0);
}

std::size_t Frames(double rate, double seconds) {
  return static_cast<std::size_t>(std::lround(rate * seconds));
}

// Raised-cosine gain over `fade` frames at both ends of `frames`.
double Fade(std::size_t n, std::size_t frames, std::size_t fade) {
  const std::size_t edge = std::min(n, frames - 1 - n);
  if (edge >= fade) return 1.0;
  return 0.5 - 0.5 * std::cos(std::numbers::pi * (double(edge) + 0.5) / double(fade));
}

// Appends a segment of one or two tones with amplitudes a and a2.
void AppendTones(TestSignal& s, Segment segment, double a, double a2) {
  segment.Start = s.Left.size();
  const std::size_t fade = Frames(s.Rate, FadeSeconds);
  for (std::size_t n = 0; n < segment.Frames; ++n) {
    const double t = double(n) / s.Rate;
    const double v = Fade(n, segment.Frames, fade) * (a * std::sin(TwoPi * segment.Hz * t) +
                                                      a2 * std::sin(TwoPi * segment.Hz2 * t));
    s.Left.push_back(segment.To == Drive::RightOnly ? 0.0 : v);
    s.Right.push_back(segment.To == Drive::LeftOnly ? 0.0 : v);
  }
  s.Segments.push_back(segment);
}

void AppendTone(TestSignal& s, double hz, double dbfs, double seconds, Drive to = Drive::Both) {
  AppendTones(s, {0, Frames(s.Rate, seconds), hz, 0, dbfs, to}, Amplitude(dbfs), 0);
}

void AppendPair(TestSignal& s, double hz, double hz2, double ratio, double dbfs,
                double seconds = SegmentSeconds) {
  const double a = Amplitude(dbfs);
  AppendTones(s, {0, Frames(s.Rate, seconds), hz, hz2, dbfs, Drive::Both}, a * ratio / (ratio + 1),
              a / (ratio + 1));
}

// The upper tone of the swept twin tone: third octaves about 10 kHz.
double SweptTwinHz(int third) {
  return 10000.0 * std::exp2(third / 3.0);
}

} // namespace

double BandTopHz(double rate) {
  return rate > 48000 ? 0.45 * rate : 20000.0;
}

TestSignal LogSweep(double rate, double dbfs) {
  TestSignal s{rate, {}, {}, {}};
  const double f1 = SweepStartHz, f2 = SweepEndShare * rate;
  const std::size_t frames = Frames(rate, SweepSeconds);
  const std::size_t fade = Frames(rate, SweepFadeSeconds);
  const double rise = std::log(f2 / f1); // over the sweep's length
  const double a = Amplitude(dbfs);
  s.Left.resize(frames + Frames(rate, SweepTailSeconds));
  for (std::size_t n = 0; n < frames; ++n) {
    const double t = double(n) / rate;
    const double phase = TwoPi * f1 * SweepSeconds / rise * std::expm1(t / SweepSeconds * rise);
    s.Left[n] = a * Fade(n, frames, fade) * std::sin(phase);
  }
  s.Right = s.Left;
  s.Segments.push_back({0, frames, f1, f2, dbfs, Drive::Both});
  return s;
}

TestSignal Silence(double rate, double seconds) {
  TestSignal s{rate, {}, {}, {}};
  AppendTones(s, {0, Frames(rate, seconds), 0, 0, -300, Drive::Both}, 0, 0);
  return s;
}

TestSignal Tone(double rate, double hz, double dbfs, double seconds, Drive to) {
  TestSignal s{rate, {}, {}, {}};
  AppendTone(s, hz, dbfs, seconds, to);
  return s;
}

TestSignal LevelSteps(double rate, double hz, double fromDbfs, double toDbfs, double stepDb) {
  TestSignal s{rate, {}, {}, {}};
  for (double dbfs = fromDbfs; dbfs <= toDbfs + 1e-9; dbfs += stepDb)
    AppendTone(s, hz, dbfs, StepSeconds);
  return s;
}

TestSignal FrequencySteps(double rate, double fromHz, double toHz, int count, double dbfs) {
  TestSignal s{rate, {}, {}, {}};
  for (int i = 0; i < count; ++i) {
    const double hz = fromHz * std::pow(toHz / fromHz, double(i) / double(std::max(count - 1, 1)));
    AppendTone(s, hz, dbfs, std::max(StepSeconds, StepCycles / hz));
  }
  return s;
}

TestSignal Smpte(double rate, double dbfs) {
  TestSignal s{rate, {}, {}, {}};
  AppendPair(s, SmpteLowHz, SmpteHighHz, SmpteRatio, dbfs);
  return s;
}

TestSignal TwinTone(double rate, double hz, double hz2, double dbfs) {
  TestSignal s{rate, {}, {}, {}};
  AppendPair(s, hz, hz2, 1.0, dbfs);
  return s;
}

TestSignal SweepingTwinTone(double rate, double dbfs) {
  TestSignal s{rate, {}, {}, {}};
  for (int third = -7; SweptTwinHz(third) <= BandTopHz(rate) * 1.0001; ++third)
    AppendPair(s, TwinShare * SweptTwinHz(third), SweptTwinHz(third), 1.0, dbfs, StepSeconds);
  return s;
}

TestSignal CrosstalkTones(double rate, double dbfs) {
  TestSignal s{rate, {}, {}, {}};
  for (const Drive to : {Drive::LeftOnly, Drive::RightOnly})
    for (const double hz : {100.0, 1000.0, 10000.0})
      AppendTone(s, hz, dbfs, SegmentSeconds, to);
  return s;
}

} // namespace measure
