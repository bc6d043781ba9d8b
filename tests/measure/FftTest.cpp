// SPDX-License-Identifier: GPL-3.0-or-later
// The measurement library's transform against the definition of the DFT, for
// powers of two and three times powers of two, forward and inverse.
#include "measure/Fft.h"

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Complex = std::complex<double>;

std::vector<Complex> Dft(const std::vector<Complex>& x, double sign) {
  const std::size_t n = x.size();
  std::vector<Complex> out(n), roots(n);
  for (std::size_t m = 0; m < n; ++m)
    roots[m] = std::polar(1.0, sign * 2 * std::numbers::pi * double(m) / double(n));
  for (std::size_t k = 0; k < n; ++k)
    for (std::size_t i = 0; i < n; ++i)
      out[k] += x[i] * roots[k * i % n];
  return out;
}

TEST(Fft, MatchesTheDefinition) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> value(-1, 1);
  for (const std::size_t n : {4, 8, 12, 24, 32, 96, 512, 1536, 2048}) {
    ASSERT_EQ(measure::FftSize(n), n);
    std::vector<Complex> x(n);
    for (auto& v : x)
      v = {value(random), value(random)};
    for (const bool inverse : {false, true}) {
      std::vector<double> re(n), im(n);
      for (std::size_t i = 0; i < n; ++i)
        re[i] = x[i].real(), im[i] = x[i].imag();
      measure::Fft(re, im, inverse);
      const std::vector<Complex> expected = Dft(x, inverse ? 1 : -1);
      for (std::size_t k = 0; k < n; ++k) {
        const std::size_t at = measure::FftIndex(k, n);
        ASSERT_NEAR(re[at], expected[k].real(), 1e-9) << n << " bin " << k;
        ASSERT_NEAR(im[at], expected[k].imag(), 1e-9) << n << " bin " << k;
      }
    }
  }
}

// The size for n samples: the smallest power of two or three times one.
TEST(Fft, SizeCoversTheSpan) {
  const std::pair<std::size_t, std::size_t> sizes[] = {
      {1, 4}, {5, 6}, {7, 8}, {2048, 2048}, {2049, 3072}, {48000, 49152}, {49153, 65536}};
  for (const auto& [n, size] : sizes)
    EXPECT_EQ(measure::FftSize(n), size) << n;
}

} // namespace
