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

double Mean(std::span<const std::int16_t> samples) {
  std::int64_t sum = 0;
  for (const std::int16_t s : samples)
    sum += s;
  return samples.empty() ? 0 : double(sum) / double(samples.size());
}

ToneSpectrum Describe(std::span<const std::complex<double>> bins, std::size_t points,
                      std::size_t span, double sampleRate, double sumSquares) {
  ToneSpectrum s;
  s.Bins = bins;
  s.Points = points;
  s.BinHz = sampleRate / double(points);
  // Parseval: the power of a component is 2 / (points * sum w^2) times the
  // sum of |X|^2 over its bins of the one-sided spectrum.
  s.PowerScale = 2.0 / (double(points) * sumSquares);
  s.Lobe = static_cast<std::size_t>(std::ceil(LobeSpanBins * double(points) / double(span)));
  return s;
}

} // namespace

void TransformChannels(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                       double sampleRate, ToneSpectrum* leftOut, ToneSpectrum* rightOut) {
  const bool both = !right.empty();
  const std::size_t n = both ? std::min(left.size(), right.size()) : left.size();
  const WindowCache& window = Window(n);
  const std::size_t points = FftSize(n);
  const double meanLeft = Mean(left.first(n)), meanRight = both ? Mean(right.first(n)) : 0.0;

  thread_local std::vector<double> re, im;
  thread_local std::vector<std::complex<double>> leftBins, rightBins;
  re.resize(points);
  im.resize(points);
  for (std::size_t i = 0; i < n; ++i)
    re[i] = window.Values[i] * (left[i] - meanLeft);
  for (std::size_t i = 0; i < n; ++i)
    im[i] = both ? window.Values[i] * (right[i] - meanRight) : 0.0;
  std::fill(re.begin() + std::ptrdiff_t(n), re.end(), 0.0);
  std::fill(im.begin() + std::ptrdiff_t(n), im.end(), 0.0);
  Fft(re, im);

  // Two real signals in one transform: X[k] and conj(X[N - k]) tell them apart.
  const std::size_t half = points / 2;
  leftBins.resize(half + 1);
  rightBins.resize(both ? half + 1 : 0);
  for (std::size_t k = 0; k <= half; ++k) {
    const std::size_t i = FftIndex(k, points), j = FftIndex(k == 0 ? 0 : points - k, points);
    if (!both) {
      leftBins[k] = {re[i], im[i]};
      continue;
    }
    leftBins[k] = {0.5 * (re[i] + re[j]), 0.5 * (im[i] - im[j])};
    rightBins[k] = {0.5 * (im[i] + im[j]), 0.5 * (re[j] - re[i])};
  }
  if (!both) {
    *leftOut = Describe(leftBins, points, n, sampleRate, window.SumSquares);
    return;
  }
  *leftOut = Describe(leftBins, points, n, sampleRate, window.SumSquares);
  *rightOut = Describe(rightBins, points, n, sampleRate, window.SumSquares);
}

} // namespace measure
