// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum the card report reads tones, distortion and noise from: one
// channel's span in double precision, its mean (DC) taken out, under the
// 7-term Blackman-Harris window (side lobes below -180 dB, so even a 32-bit
// capture's noise is not hidden under a tone's leakage), zero-padded to a
// power of two. A tone's power lies within Lobe bins either side of it.

#include <cstddef>
#include <span>
#include <vector>

namespace measure {

struct CardSpectrum {
  // Bin k's share of the power, full scale = 1.0: a sine of amplitude a gives
  // a^2 / 2 summed over its lobe; white noise sums to its variance.
  std::vector<double> Power;
  double BinHz = 0;
  std::size_t Lobe = 0;
};

CardSpectrum MakeSpectrum(std::span<const double> samples, double rate);

// The bins within [loHz, hiHz], less the lobes about each of `skipHz`:
// their power, each bin weighted by the A-curve's power gain when asked.
struct Band {
  double Power = 0;
  std::size_t Bins = 0;
};
Band BandPower(const CardSpectrum& s, double loHz, double hiHz, std::span<const double> skipHz = {},
               bool aWeighted = false);

// The power of a tone at hz: its lobe's bins, less `noisePerBin` for each of
// them (the noise that shares the lobe), never below zero.
double TonePower(const CardSpectrum& s, double hz, double noisePerBin = 0);

} // namespace measure
