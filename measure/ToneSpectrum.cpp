// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/ToneSpectrum.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "measure/Fft.h"

namespace measure {

namespace {

constexpr double FullScale = 32768.0;
// The 7-term Blackman-Harris window: sum of a_k cos(2 pi k n / (N - 1)), signs alternating.
constexpr double WindowTerms[] = {0.27105140069342, 0.43329793923448, 0.21812299954311,
                                  0.06592544638803, 0.01081174209837, 0.00077658482522,
                                  0.00001388721735};
// Half the main lobe in bins of the span's own length, with a bin to spare.
constexpr double LobeSpanBins = 8.0;

struct WindowCache {
  std::vector<double> Values; // already divided by full scale
  double SumSquares = 0;      // of the window itself
};

const WindowCache& Window(std::size_t n) {
  thread_local WindowCache cache;
  if (cache.Values.size() != n) {
    cache.Values.resize(n);
    cache.SumSquares = 0;
    const double step = 2.0 * std::numbers::pi / static_cast<double>(n > 1 ? n - 1 : 1);
    for (std::size_t i = 0; i < n; ++i) {
      double value = 0, sign = 1;
      for (std::size_t k = 0; k < std::size(WindowTerms); ++k, sign = -sign)
        value += sign * WindowTerms[k] * std::cos(step * static_cast<double>(k * i));
      cache.Values[i] = value / FullScale;
      cache.SumSquares += value * value;
    }
  }
  return cache;
}

// a = X[k] and b = conj(X[N - k]) of two real signals in one transform tell
// them apart: (a + b) / 2 and (a - b) / 2i.
std::complex<double> Separate(ToneSpectrum::Part part, std::complex<double> a,
                              std::complex<double> b) {
  switch (part) {
  case ToneSpectrum::Part::Left:
    return 0.5 * (a + b);
  case ToneSpectrum::Part::Right:
    return {0.5 * (a.imag() - b.imag()), 0.5 * (b.real() - a.real())};
  default:
    return a;
  }
}

ToneSpectrum Describe(const std::vector<double>& re, const std::vector<double>& im,
                      ToneSpectrum::Part part, std::span<const double> power, double total,
                      std::size_t span, double sampleRate, double sumSquares) {
  const std::size_t points = re.size();
  ToneSpectrum s;
  s.Re = re;
  s.Im = im;
  s.Of = part;
  s.Power = power;
  s.TotalPower = total;
  s.Points = points;
  s.BinHz = sampleRate / double(points);
  // Parseval: the power of a component is 2 / (points * sum w^2) times the
  // sum of |X|^2 over its bins of the one-sided spectrum.
  s.PowerScale = 2.0 / (double(points) * sumSquares);
  s.Lobe = LobeBins(span, points);
  return s;
}

} // namespace

std::size_t LobeBins(std::size_t span, std::size_t points) {
  return static_cast<std::size_t>(std::ceil(LobeSpanBins * double(points) / double(span)));
}

void TransformChannels(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                       double sampleRate, ToneSpectrum* leftOut, ToneSpectrum* rightOut) {
  const bool both = !right.empty();
  const std::size_t n = both ? std::min(left.size(), right.size()) : left.size();
  const WindowCache& window = Window(n);
  const std::size_t points = FftSize(n);
  thread_local std::vector<double> re, im, leftPower, rightPower;
  re.resize(points);
  im.resize(points);
  for (std::size_t i = 0; i < n; ++i)
    re[i] = window.Values[i] * left[i];
  for (std::size_t i = 0; i < n; ++i)
    im[i] = both ? window.Values[i] * right[i] : 0.0;
  std::fill(re.begin() + std::ptrdiff_t(n), re.end(), 0.0);
  std::fill(im.begin() + std::ptrdiff_t(n), im.end(), 0.0);
  Fft(re, im);

  // Bin k = 3q + r of a size 3M lies at r M + q, and N - k at the mirrored place.
  const std::size_t half = points / 2;
  const bool three = (points & (points - 1)) != 0;
  const std::size_t third = points / 3;
  leftPower.resize(half + 1);
  rightPower.resize(both ? half + 1 : 0);
  double leftTotal = 0, rightTotal = 0;
  for (std::size_t k = 0, q = 0, r = 0; k <= half; ++k) {
    std::size_t i = k, j = k == 0 ? 0 : points - k;
    if (three) {
      i = r * third + q;
      j = k == 0 ? 0 : (3 - r) % 3 * third + (r == 0 ? third - q : third - q - 1);
      if (++r == 3) r = 0, ++q;
    }
    if (!both) {
      leftPower[k] = re[i] * re[i] + im[i] * im[i];
      leftTotal += leftPower[k];
      continue;
    }
    // The squared magnitudes of the halves of sum and difference, as Separate splits them.
    const double sr = re[i] + re[j], di = im[i] - im[j], si = im[i] + im[j], dr = re[j] - re[i];
    leftPower[k] = 0.25 * (sr * sr + di * di);
    rightPower[k] = 0.25 * (si * si + dr * dr);
    leftTotal += leftPower[k];
    rightTotal += rightPower[k];
  }
  using Part = ToneSpectrum::Part;
  *leftOut = Describe(re, im, both ? Part::Left : Part::Alone, leftPower, leftTotal, n, sampleRate,
                      window.SumSquares);
  if (both)
    *rightOut =
        Describe(re, im, Part::Right, rightPower, rightTotal, n, sampleRate, window.SumSquares);
}

std::complex<double> ToneSpectrum::Bin(std::size_t k) const {
  const std::size_t i = FftIndex(k, Points), j = FftIndex(k == 0 ? 0 : Points - k, Points);
  return Separate(Of, {Re[i], Im[i]}, {Re[j], -Im[j]});
}

} // namespace measure
