#include "measure/Fft.h"

#include <cmath>
#include <numbers>
#include <vector>

namespace measure {

namespace {

// e^(-2 pi i j / m) for j < m / 2, for the largest size m asked for so far on
// this thread; a smaller size n takes every (m / n)-th entry.
const std::vector<std::complex<double>>& Twiddles(std::size_t n) {
  thread_local std::vector<std::complex<double>> table;
  if (table.size() < n / 2) {
    table.resize(n / 2);
    for (std::size_t j = 0; j < n / 2; ++j) {
      const double angle =
          -2.0 * std::numbers::pi * static_cast<double>(j) / static_cast<double>(n);
      table[j] = {std::cos(angle), std::sin(angle)};
    }
  }
  return table;
}

void BitReverse(std::span<std::complex<double>> data) {
  const std::size_t n = data.size();
  for (std::size_t i = 1, j = 0; i < n; ++i) {
    std::size_t bit = n >> 1;
    for (; (j & bit) != 0; bit >>= 1)
      j ^= bit;
    j |= bit;
    if (i < j) std::swap(data[i], data[j]);
  }
}

} // namespace

std::size_t FftSize(std::size_t n) {
  std::size_t size = 2;
  while (size < n)
    size *= 2;
  return size;
}

void Fft(std::span<std::complex<double>> data, bool inverse) {
  const std::size_t n = data.size();
  const auto& twiddles = Twiddles(n);
  BitReverse(data);
  // The first stage needs no multiplication.
  for (std::size_t i = 0; i < n; i += 2) {
    const auto a = data[i], b = data[i + 1];
    data[i] = a + b;
    data[i + 1] = a - b;
  }
  for (std::size_t half = 2; half < n; half *= 2) {
    const std::size_t stride = 2 * twiddles.size() / (2 * half);
    for (std::size_t start = 0; start < n; start += 2 * half) {
      std::complex<double>* low = &data[start];
      std::complex<double>* high = low + half;
      for (std::size_t j = 0; j < half; ++j) {
        const std::complex<double> w = twiddles[j * stride];
        const double wr = w.real(), wi = inverse ? -w.imag() : w.imag();
        // Written out: std::complex's multiplication checks for infinities.
        const double hr = high[j].real() * wr - high[j].imag() * wi;
        const double hi = high[j].real() * wi + high[j].imag() * wr;
        const std::complex<double> t(hr, hi);
        high[j] = low[j] - t;
        low[j] += t;
      }
    }
  }
}

} // namespace measure
