// SPDX-License-Identifier: GPL-3.0-or-later
#include "ToneAnalysis.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

int Sample(const Recording& samples, size_t frame, int channel) {
  return samples[2 * frame + static_cast<size_t>(channel)];
}

// Least-squares line y = a + b x; returns {a, b}.
std::pair<double, double> FitLine(const std::vector<double>& x, const std::vector<double>& y) {
  const auto n = static_cast<double>(x.size());
  double mx = 0, my = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    mx += x[i];
    my += y[i];
  }
  mx /= n;
  my /= n;
  double sxy = 0, sxx = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sxy += (x[i] - mx) * (y[i] - my);
    sxx += (x[i] - mx) * (x[i] - mx);
  }
  const double slope = sxy / sxx;
  return {my - slope * mx, slope};
}

// Solves the 3 x 3 system m v = r by Gaussian elimination with pivoting.
std::array<double, 3> Solve(std::array<std::array<double, 3>, 3> m, std::array<double, 3> r) {
  for (size_t col = 0; col < 3; ++col) {
    size_t pivot = col;
    for (size_t row = col + 1; row < 3; ++row)
      if (std::abs(m[row][col]) > std::abs(m[pivot][col])) pivot = row;
    std::swap(m[col], m[pivot]);
    std::swap(r[col], r[pivot]);
    for (size_t row = col + 1; row < 3; ++row) {
      const double factor = m[row][col] / m[col][col];
      for (size_t k = col; k < 3; ++k)
        m[row][k] -= factor * m[col][k];
      r[row] -= factor * r[col];
    }
  }
  std::array<double, 3> v{};
  for (size_t col = 3; col-- > 0;) {
    double sum = r[col];
    for (size_t k = col + 1; k < 3; ++k)
      sum -= m[col][k] * v[k];
    v[col] = sum / m[col][col];
  }
  return v;
}

} // namespace

std::pair<size_t, size_t> SoundingSpan(const Recording& samples) {
  const size_t frames = samples.size() / 2;
  size_t first = 0;
  while (first < frames && samples[2 * first] == 0 && samples[2 * first + 1] == 0)
    ++first;
  size_t end = frames;
  while (end > first && samples[2 * end - 2] == 0 && samples[2 * end - 1] == 0)
    --end;
  if (first == end) return {0, 0};
  return {first, end};
}

std::pair<int, int> Extremes(const Recording& samples, int channel, size_t from, size_t to) {
  int high = -32769, low = 32768;
  for (size_t frame = from; frame < to; ++frame) {
    high = std::max(high, Sample(samples, frame, channel));
    low = std::min(low, Sample(samples, frame, channel));
  }
  return {high, low};
}

std::vector<double> UpwardCrossings(const Recording& samples, int channel, size_t from, size_t to) {
  std::vector<double> crossings;
  // The last negative sample and where it was; a run of zeros between it and
  // the next positive sample is bridged.
  int previous = 0;
  size_t previousFrame = 0;
  for (size_t frame = from; frame < to; ++frame) {
    const int value = Sample(samples, frame, channel);
    if (value == 0) continue;
    if (previous < 0 && value > 0) {
      const double span = static_cast<double>(frame - previousFrame);
      crossings.push_back(static_cast<double>(previousFrame) +
                          span * static_cast<double>(-previous) /
                              static_cast<double>(value - previous));
    }
    previous = value;
    previousFrame = frame;
  }
  return crossings;
}

double CrossingFrequency(const std::vector<double>& crossings) {
  std::vector<double> count(crossings.size());
  for (size_t i = 0; i < count.size(); ++i)
    count[i] = static_cast<double>(i);
  return kFrameRate / FitLine(count, crossings).second;
}

std::vector<double> PeriodChanges(const std::vector<double>& crossings, double thresholdFrames) {
  std::vector<double> changes;
  for (size_t i = 2; i < crossings.size(); ++i) {
    const double before = crossings[i - 1] - crossings[i - 2];
    const double after = crossings[i] - crossings[i - 1];
    if (std::abs(after - before) <= thresholdFrames) continue;
    if (changes.empty() || crossings[i - 1] - changes.back() > 3 * before)
      changes.push_back(crossings[i - 1]);
  }
  return changes;
}

SineFit FitSine(const Recording& samples, int channel, size_t from, size_t to, double hz) {
  const double omega = 2 * std::numbers::pi * hz / kFrameRate;
  std::array<std::array<double, 3>, 3> m{};
  std::array<double, 3> r{};
  for (size_t frame = from; frame < to; ++frame) {
    const double angle = omega * static_cast<double>(frame);
    const std::array<double, 3> basis{std::cos(angle), std::sin(angle), 1.0};
    const double value = Sample(samples, frame, channel);
    for (size_t i = 0; i < 3; ++i) {
      for (size_t k = 0; k < 3; ++k)
        m[i][k] += basis[i] * basis[k];
      r[i] += basis[i] * value;
    }
  }
  const std::array<double, 3> v = Solve(m, r);
  SineFit fit;
  fit.amplitude = std::hypot(v[0], v[1]);
  fit.phase = std::atan2(-v[1], v[0]);
  fit.offset = v[2];
  for (size_t frame = from; frame < to; ++frame) {
    const double angle = omega * static_cast<double>(frame);
    const double model = v[0] * std::cos(angle) + v[1] * std::sin(angle) + v[2];
    fit.maxResidual = std::max(fit.maxResidual, std::abs(Sample(samples, frame, channel) - model));
  }
  return fit;
}

PhaseTrack TrackPhase(const Recording& samples, int channel, size_t from, size_t to, double hz,
                      size_t windowFrames) {
  std::vector<double> centres, phases;
  for (size_t start = from; start + windowFrames <= to; start += windowFrames) {
    double phase = FitSine(samples, channel, start, start + windowFrames, hz).phase;
    if (!phases.empty()) phase = phases.back() + WrapPhase(phase - phases.back());
    centres.push_back(static_cast<double>(start) + static_cast<double>(windowFrames) / 2);
    phases.push_back(phase);
  }
  PhaseTrack track;
  if (phases.size() < 2) return track;
  const auto [intercept, slope] = FitLine(centres, phases);
  track.hz = hz + slope * kFrameRate / (2 * std::numbers::pi);
  for (size_t i = 0; i < phases.size(); ++i)
    track.maxDeviation =
        std::max(track.maxDeviation, std::abs(phases[i] - (intercept + slope * centres[i])));
  return track;
}

double WrapPhase(double radians) {
  const double turn = 2 * std::numbers::pi;
  double wrapped = std::fmod(radians, turn);
  if (wrapped <= -std::numbers::pi) wrapped += turn;
  if (wrapped > std::numbers::pi) wrapped -= turn;
  return wrapped;
}
