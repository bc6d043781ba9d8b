// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Measurements on recordings of the null sink's monitor: raw interleaved
// stereo at 48000 frames per second, channel 0 left and 1 right. Frame
// positions are absolute indices into the recording; ranges are [from, to).

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

using Recording = std::vector<int16_t>;

inline constexpr double kFrameRate = 48000.0;

// The first frame in which either channel is not zero and one past the last
// such frame; {0, 0} for silence.
std::pair<size_t, size_t> SoundingSpan(const Recording& samples);

// The largest and the smallest sample of a channel.
std::pair<int, int> Extremes(const Recording& samples, int channel, size_t from, size_t to);

// Upward zero crossings of a channel, in frames, interpolated linearly
// between the last negative sample and the next one.
std::vector<double> UpwardCrossings(const Recording& samples, int channel, size_t from, size_t to);

// Hz, from a least-squares line through the crossing times against their
// count (needs at least two crossings).
double CrossingFrequency(const std::vector<double>& crossings);

// Crossing times after which the tone's period changes: the interval to the
// next crossing differs from the one before by more than thresholdFrames.
// Changes within three cycles of each other count once, at the first.
std::vector<double> PeriodChanges(const std::vector<double>& crossings, double thresholdFrames);

// amplitude * cos(2 pi hz n / 48000 + phase) + offset fitted by least squares
// at a fixed frequency; maxResidual is the largest |sample - fit|.
struct SineFit {
  double amplitude = 0;
  double phase = 0; // radians, at frame 0 of the recording
  double offset = 0;
  double maxResidual = 0;
};
SineFit FitSine(const Recording& samples, int channel, size_t from, size_t to, double hz);

// The phase of each window of windowFrames fitted at hz, and a line through
// those phases: hz corrected by the line's slope, and the largest departure
// of a window's phase from the line in radians (a lost or repeated stretch
// shows as a step).
struct PhaseTrack {
  double hz = 0;
  double maxDeviation = 0;
};
PhaseTrack TrackPhase(const Recording& samples, int channel, size_t from, size_t to, double hz,
                      size_t windowFrames);

// An angle folded into (-pi, pi].
double WrapPhase(double radians);
