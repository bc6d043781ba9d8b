// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/CardSpectrum.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <numbers>

#include "measure/AWeighting.h"
#include "measure/Fft.h"

namespace measure {

namespace {

// The 7-term Blackman-Harris window: sum of a_k cos(2 pi k n / (N - 1)), signs alternating.
constexpr double WindowTerms[] = {0.27105140069342, 0.43329793923448, 0.21812299954311,
                                  0.06592544638803, 0.01081174209837, 0.00077658482522,
                                  0.00001388721735};
// Half the main lobe in bins of the span's own length, with a bin to spare.
constexpr double LobeSpanBins = 8.0;

double WindowValue(std::size_t i, std::size_t n) {
  const double step = 2.0 * std::numbers::pi / double(n > 1 ? n - 1 : 1);
  double value = 0, sign = 1;
  for (std::size_t k = 0; k < std::size(WindowTerms); ++k, sign = -sign)
    value += sign * WindowTerms[k] * std::cos(step * double(k * i));
  return value;
}

// The bins [first, last] about hz that its lobe covers, within the spectrum.
std::pair<std::size_t, std::size_t> LobeBins(const CardSpectrum& s, double hz) {
  const auto centre = static_cast<std::ptrdiff_t>(std::lround(hz / s.BinHz));
  const auto lobe = static_cast<std::ptrdiff_t>(s.Lobe);
  const auto last = static_cast<std::ptrdiff_t>(s.Power.size()) - 1;
  return {std::size_t(std::clamp<std::ptrdiff_t>(centre - lobe, 0, last)),
          std::size_t(std::clamp<std::ptrdiff_t>(centre + lobe, 0, last))};
}

} // namespace

CardSpectrum MakeSpectrum(std::span<const double> samples, double rate) {
  const std::size_t n = samples.size();
  const std::size_t points = std::bit_ceil(std::max<std::size_t>(n, 4));
  double mean = 0;
  for (const double v : samples)
    mean += v;
  mean /= double(std::max<std::size_t>(n, 1));
  std::vector<double> re(points, 0.0), im(points, 0.0);
  double sumSquares = 0;
  for (std::size_t i = 0; i < n; ++i) {
    const double w = WindowValue(i, n);
    re[i] = w * (samples[i] - mean);
    sumSquares += w * w;
  }
  Fft(re, im);
  CardSpectrum s;
  s.BinHz = rate / double(points);
  s.Lobe = static_cast<std::size_t>(std::ceil(LobeSpanBins * double(points) / double(n)));
  // Parseval: a component's power is 2 / (points * sum w^2) times the sum of
  // |X|^2 over its bins of the one-sided spectrum.
  const double scale = 2.0 / (double(points) * std::max(sumSquares, 1e-300));
  s.Power.resize(points / 2 + 1);
  for (std::size_t k = 0; k <= points / 2; ++k)
    s.Power[k] = scale * (re[k] * re[k] + im[k] * im[k]);
  return s;
}

Band BandPower(const CardSpectrum& s, double loHz, double hiHz, std::span<const double> skipHz,
               bool aWeighted) {
  const auto first = static_cast<std::size_t>(std::max(1.0, std::ceil(loHz / s.BinHz)));
  const auto last = std::min(s.Power.size() - 1, static_cast<std::size_t>(hiHz / s.BinHz));
  Band band;
  for (std::size_t k = first; k <= last; ++k) {
    const bool skipped = std::any_of(skipHz.begin(), skipHz.end(), [&](double hz) {
      const auto [from, to] = LobeBins(s, hz);
      return k >= from && k <= to;
    });
    if (skipped) continue;
    const double gain = aWeighted ? AWeightingGain(double(k) * s.BinHz) : 1.0;
    band.Power += s.Power[k] * gain * gain;
    ++band.Bins;
  }
  return band;
}

double TonePower(const CardSpectrum& s, double hz, double noisePerBin) {
  const auto [from, to] = LobeBins(s, hz);
  double power = 0;
  for (std::size_t k = from; k <= to; ++k)
    power += s.Power[k];
  return std::max(0.0, power - noisePerBin * double(to - from + 1));
}

} // namespace measure
