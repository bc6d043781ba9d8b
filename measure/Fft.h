#pragma once
// A radix-2 complex FFT for the measurement library. Reentrant: the twiddle
// table is cached per thread.

#include <complex>
#include <span>

namespace measure {

// In place; data.size() is a power of two, at least 2. Forward computes
// X[k] = sum x[n] e^(-2 pi i k n / N); inverse uses e^(+...) and does not
// divide by N.
void Fft(std::span<std::complex<double>> data, bool inverse = false);

// The smallest power of two that is at least n (at least 2).
std::size_t FftSize(std::size_t n);

} // namespace measure
