// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Blocks of 16-bit samples for the spectrum tests.

#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
#include <vector>

namespace spectrum_test {

// A sine of `cycles` periods per block of n samples, rounded to the nearest sample.
inline std::vector<int16_t> Sine(std::size_t n, double cycles, double amplitude,
                                 double phase = 0.3) {
  std::vector<int16_t> block(n);
  for (std::size_t i = 0; i < n; ++i)
    block[i] = static_cast<int16_t>(
        std::lround(amplitude * std::sin(2.0 * std::numbers::pi * cycles * static_cast<double>(i) /
                                             static_cast<double>(n) +
                                         phase)));
  return block;
}

// Uniform noise over the whole 16-bit range, reproducible from the seed.
inline std::vector<int16_t> Noise(std::size_t n, unsigned seed) {
  std::mt19937 generator(seed);
  std::uniform_int_distribution<int> value(-32768, 32767);
  std::vector<int16_t> block(n);
  for (auto& s : block)
    s = static_cast<int16_t>(value(generator));
  return block;
}

// A full-scale square wave of the given period in samples.
inline std::vector<int16_t> Square(std::size_t n, std::size_t period) {
  std::vector<int16_t> block(n);
  for (std::size_t i = 0; i < n; ++i)
    block[i] = (i % period) < period / 2 ? 32767 : -32768;
  return block;
}

} // namespace spectrum_test
