// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the spectrum window makes of a channel's stream of spectra: the
// average (exponential with a time constant, or linear over N spectra) and
// the peak and minimum holds. Powers per bin in, powers per bin out. Plain
// C++, no toolkit.

#include <cstddef>
#include <span>
#include <vector>

namespace measure {

enum class AverageMode { Off, Exponential, Linear };

struct AverageSettings {
  AverageMode Mode = AverageMode::Off;
  double TimeConstantS = 1.0; // exponential: the weight of a spectrum falls to 1/e in this time
  int Count = 16;             // linear: spectra in each mean
};

class TraceAverage {
public:
  // intervalS: the time between two spectra. Starts again.
  void Configure(const AverageSettings& settings, double intervalS);
  void Reset();
  void Add(std::span<const double> power);
  // Off: the latest spectrum. Exponential: the running average, which starts
  // as the plain mean until the time constant's weight is reached. Linear:
  // the latest complete mean of Count spectra, or until the first is
  // complete, the mean of those so far. Empty before the first spectrum.
  std::span<const double> Average() const;
  // The weight of the newest spectrum in the exponential average.
  double Weight() const { return weight_; }

private:
  AverageSettings settings_;
  double weight_ = 1;
  std::vector<double> average_, sum_;
  int count_ = 0; // spectra in sum_ (linear) or averaged so far (exponential)
  bool complete_ = false;
};

// The largest (or smallest) power each bin has had since the last reset.
class TraceHold {
public:
  explicit TraceHold(bool peak) : peak_(peak) {}
  void Reset() { held_.clear(); }
  void Add(std::span<const double> power);
  std::span<const double> Held() const { return held_; }

private:
  bool peak_;
  std::vector<double> held_;
};

// One channel's traces, always kept whether drawn or not.
struct ChannelTraces {
  std::vector<double> Current;
  TraceAverage Average;
  TraceHold Peak{true}, Min{false};
  void Add(std::span<const double> power);
  // Every trace empty: the next spectrum starts them again.
  void Reset();
};

} // namespace measure
