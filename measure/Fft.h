// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A radix-2 complex FFT for the measurement library, on separate real and
// imaginary arrays so that the compiler can work on several values at once
// on any processor. Reentrant: the twiddle tables are cached per thread.

#include <cstddef>
#include <span>

namespace measure {

// In place; both spans have the same size N, one that FftSize gives.
// Forward computes X[k] = sum x[n] e^(-2 pi i k n / N); inverse uses e^(+...)
// and does not divide by N. X[k] ends up at index FftIndex(k, N).
void Fft(std::span<double> re, std::span<double> im, bool inverse = false);

// The smallest power of two, or three times a power of two, that is at least
// n (and at least 4): the sizes Fft takes.
std::size_t FftSize(std::size_t n);

// Where Fft leaves bin k of a transform of size n: k itself for a power of
// two; for n = 3m, bin 3q + r at r m + q (three transforms of size m).
inline std::size_t FftIndex(std::size_t k, std::size_t n) {
  if ((n & (n - 1)) == 0) return k;
  return (k % 3) * (n / 3) + k / 3;
}

} // namespace measure
