#include "measure/ToneSpectrum.h"

#include <cmath>
#include <numbers>

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
  std::vector<double> Values;
  double SumSquares = 0;
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
      cache.Values[i] = value;
      cache.SumSquares += value * value;
    }
  }
  return cache;
}

std::vector<double> WithoutDc(std::span<const std::int16_t> samples) {
  double sum = 0;
  for (const std::int16_t s : samples)
    sum += s;
  const double mean = samples.empty() ? 0 : sum / static_cast<double>(samples.size());
  std::vector<double> signal(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i)
    signal[i] = (samples[i] - mean) / FullScale;
  return signal;
}

void Prepare(ToneSpectrum* out, std::vector<double> signal, std::size_t points, double sampleRate,
             double sumSquares) {
  out->Signal = std::move(signal);
  out->Points = points;
  out->BinHz = sampleRate / static_cast<double>(points);
  // Parseval: the power of a component is 2 / (points * sum w^2) times the
  // sum of |X|^2 over its bins of the one-sided spectrum.
  out->PowerScale = 2.0 / (static_cast<double>(points) * sumSquares);
  const double spanBins = static_cast<double>(points) / static_cast<double>(out->Signal.size());
  out->Lobe = static_cast<std::size_t>(std::ceil(LobeSpanBins * spanBins));
  out->Bins.resize(points / 2 + 1);
}

} // namespace

const std::vector<double>& WindowTable(std::size_t n) {
  return Window(n).Values;
}

void TransformChannels(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                       double sampleRate, ToneSpectrum* leftOut, ToneSpectrum* rightOut) {
  const bool both = !right.empty();
  const std::size_t n = both ? std::min(left.size(), right.size()) : left.size();
  const WindowCache& window = Window(n);
  const std::size_t points = FftSize(n);
  std::vector<double> l = WithoutDc(left.first(n));
  std::vector<double> r = both ? WithoutDc(right.first(n)) : std::vector<double>();

  thread_local std::vector<std::complex<double>> work;
  work.assign(points, {});
  for (std::size_t i = 0; i < n; ++i)
    work[i] = {window.Values[i] * l[i], both ? window.Values[i] * r[i] : 0.0};
  Fft(work);

  Prepare(leftOut, std::move(l), points, sampleRate, window.SumSquares);
  if (both) Prepare(rightOut, std::move(r), points, sampleRate, window.SumSquares);
  // Two real signals in one transform: X[k] and conj(X[N - k]) give them apart.
  for (std::size_t k = 0; k <= points / 2; ++k) {
    const std::complex<double> a = work[k], b = std::conj(work[(points - k) % points]);
    if (!both) {
      leftOut->Bins[k] = a;
      continue;
    }
    leftOut->Bins[k] = 0.5 * (a + b);
    rightOut->Bins[k] = std::complex<double>(0, -0.5) * (a - b);
  }
}

std::complex<double> TransformAt(const ToneSpectrum& spectrum, double hz, double sampleRate) {
  const std::vector<double>& window = Window(spectrum.Signal.size()).Values;
  const double omega = 2.0 * std::numbers::pi * hz / sampleRate;
  // The rotating phasor is set exactly every Exact samples so that its
  // rounding errors cannot build up.
  constexpr std::size_t Exact = 1024;
  const std::complex<double> step(std::cos(omega), -std::sin(omega));
  std::complex<double> sum;
  for (std::size_t start = 0; start < window.size(); start += Exact) {
    const double angle = -omega * static_cast<double>(start);
    double pr = std::cos(angle), pi = std::sin(angle);
    const std::size_t end = std::min(window.size(), start + Exact);
    double sr = 0, si = 0;
    for (std::size_t i = start; i < end; ++i) {
      const double v = window[i] * spectrum.Signal[i];
      sr += v * pr;
      si += v * pi;
      const double nr = pr * step.real() - pi * step.imag();
      pi = pr * step.imag() + pi * step.real();
      pr = nr;
    }
    sum += std::complex<double>(sr, si);
  }
  return sum;
}

} // namespace measure
