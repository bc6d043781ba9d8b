// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/TraceAverage.h"

#include <algorithm>
#include <cmath>

namespace measure {

void TraceAverage::Configure(const AverageSettings& settings, double intervalS) {
  settings_ = settings;
  settings_.Count = std::max(1, settings.Count);
  settings_.TimeConstantS = std::max(1e-3, settings.TimeConstantS);
  weight_ = 1 - std::exp(-intervalS / settings_.TimeConstantS);
  Reset();
}

void TraceAverage::Reset() {
  average_.clear();
  sum_.clear();
  count_ = 0;
  complete_ = false;
}

void TraceAverage::Add(std::span<const double> power) {
  if (average_.size() != power.size()) {
    Reset();
    average_.assign(power.size(), 0.0);
  }
  switch (settings_.Mode) {
  case AverageMode::Off:
    std::copy(power.begin(), power.end(), average_.begin());
    break;
  case AverageMode::Exponential: {
    // The plain mean while it weighs the newest more than the time constant
    // does: no start from zero that would take the time constant to rise.
    ++count_;
    const double w = std::max(weight_, 1.0 / count_);
    for (std::size_t k = 0; k < power.size(); ++k)
      average_[k] += w * (power[k] - average_[k]);
    break;
  }
  case AverageMode::Linear:
    if (sum_.size() != power.size()) sum_.assign(power.size(), 0.0);
    for (std::size_t k = 0; k < power.size(); ++k)
      sum_[k] += power[k];
    ++count_;
    if (!complete_ || count_ == settings_.Count)
      for (std::size_t k = 0; k < power.size(); ++k)
        average_[k] = sum_[k] / count_;
    if (count_ == settings_.Count) {
      complete_ = true;
      count_ = 0;
      std::fill(sum_.begin(), sum_.end(), 0.0);
    }
    break;
  }
}

std::span<const double> TraceAverage::Average() const {
  return average_;
}

void TraceHold::Add(std::span<const double> power) {
  if (held_.size() != power.size()) {
    held_.assign(power.begin(), power.end());
    return;
  }
  for (std::size_t k = 0; k < power.size(); ++k)
    held_[k] = peak_ ? std::max(held_[k], power[k]) : std::min(held_[k], power[k]);
}

void ChannelTraces::Add(std::span<const double> power) {
  Current.assign(power.begin(), power.end());
  Average.Add(power);
  Peak.Add(power);
  Min.Add(power);
}

void ChannelTraces::Reset() {
  Current.clear();
  Average.Reset();
  Peak.Reset();
  Min.Reset();
}

} // namespace measure
