// SPDX-License-Identifier: GPL-3.0-or-later
// Magnitudes and peak bins against an independent DFT and known answers.
#include "TestSignals.h"
#include "spectrum/SpectrumLibrary.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace spectrum_test;

constexpr uint16_t N = 2048;
constexpr uint16_t Bits = 11;
constexpr std::size_t Bins = N / 2 + 1;

// The transform's input as the text defines it, in long double: the window by its
// formula, or the taper (i * 0.001)^4 rising to the middle and 1.025 - 0.001 * j
// falling after it, fed into both parts.
std::vector<long double> LoadedInput(const std::vector<int16_t>& block, bool useWindow) {
  const long double pi = std::numbers::pi_v<long double>;
  std::vector<long double> input(block.size());
  for (std::size_t i = 0; i < block.size(); ++i) {
    long double factor;
    if (useWindow) {
      const long double x = static_cast<long double>(i) / (block.size() - 1) - 0.5L;
      factor = 0.3635819L + 0.4891775L * std::cos(2 * pi * x) + 0.1365995L * std::cos(4 * pi * x) +
               0.0106411L * std::cos(6 * pi * x);
    } else {
      const long double r =
          i <= block.size() / 2 ? 0.001L * i : 1.025L - 0.001L * (i - block.size() / 2 - 1);
      factor = r * r * r * r;
    }
    input[i] = factor * block[i];
  }
  return input;
}

std::vector<long double> DFTMagnitudes(const std::vector<long double>& input, bool bothParts) {
  const std::size_t n = input.size();
  const long double pi = std::numbers::pi_v<long double>;
  std::vector<long double> cosine(n), sine(n);
  for (std::size_t i = 0; i < n; ++i) {
    cosine[i] = std::cos(2 * pi * i / n);
    sine[i] = std::sin(2 * pi * i / n);
  }
  std::vector<long double> magnitude(n / 2 + 1);
  for (std::size_t k = 0; k <= n / 2; ++k) {
    long double re = 0, im = 0;
    for (std::size_t i = 0; i < n; ++i) {
      const std::size_t p = (k * i) % n;
      re += input[i] * cosine[p];
      im += input[i] * sine[p];
    }
    // (1 + i) x has the magnitude of x times the square root of two.
    magnitude[k] = std::hypot(re, im) * (bothParts ? std::numbers::sqrt2_v<long double> : 1.0L);
  }
  return magnitude;
}

std::vector<double> RawSpectrum(const std::vector<int16_t>& block, bool useWindow,
                                uint16_t& peakBin) {
  std::vector<double> values(Bins, 0.0);
  SpectrumFFT(N, Bits, block.data(), values.data(), peakBin, ScaleRaw, 1.0, 0, false, false,
              useWindow);
  return values;
}

struct Signal {
  std::string name;
  std::vector<int16_t> block;
};

class AgainstDFT : public ::testing::TestWithParam<bool> {
protected:
  void SetUp() override { BuildWindow(WindowBlackmanNuttall, N); }
};

TEST_P(AgainstDFT, MagnitudesAgreeToOnePartInABillion) {
  const bool useWindow = GetParam();
  const Signal signals[] = {
      {"sine on bin 100", Sine(N, 100.0, 30000.0)},
      {"sine between bins", Sine(N, 321.37, 30000.0)},
      {"noise", Noise(N, 7)},
      {"full-scale square", Square(N, 60)},
  };
  for (const Signal& s : signals) {
    uint16_t peakBin = 0;
    const auto ours = RawSpectrum(s.block, useWindow, peakBin);
    const auto reference = DFTMagnitudes(LoadedInput(s.block, useWindow), !useWindow);
    const long double largest = *std::max_element(reference.begin(), reference.end());
    std::size_t strongest = 0;
    for (std::size_t k = 0; k < Bins; ++k) {
      EXPECT_NEAR(ours[k], static_cast<double>(reference[k]), 1e-9 * largest)
          << s.name << ", bin " << k;
      if (reference[k] > reference[strongest]) strongest = k;
    }
    EXPECT_EQ(peakBin, strongest) << s.name;
  }
}

INSTANTIATE_TEST_SUITE_P(WindowAndTaper, AgainstDFT, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "Window" : "Taper"; });

TEST(SpectrumFFT, SilenceGivesZerosAndKeepsThePeakBin) {
  BuildWindow(WindowBlackmanNuttall, N);
  const std::vector<int16_t> silence(N, 0);
  for (bool useWindow : {true, false})
    for (uint8_t mode = ScaleLog; mode <= ScaleRaw; ++mode)
      for (bool autoScale : {false, true}) {
        std::vector<double> values(Bins + 1, -1.0);
        uint16_t peakBin = 555;
        SpectrumFFT(N, Bits, silence.data(), values.data(), peakBin, mode, 2.5, 1, true, autoScale,
                    useWindow);
        for (std::size_t k = 0; k < Bins; ++k)
          ASSERT_EQ(values[k], 0.0) << int(mode);
        EXPECT_EQ(values[Bins], -1.0) << "wrote past bin N/2";
        EXPECT_EQ(peakBin, 555);
      }
}

TEST(SpectrumFFT, BinCentredSineGivesItsBin) {
  BuildWindow(WindowBlackmanNuttall, N);
  for (int k : {1, 2, 100, 511, 1000, 1023})
    for (bool useWindow : {true, false}) {
      uint16_t peakBin = 0;
      RawSpectrum(Sine(N, k, 20000.0), useWindow, peakBin);
      EXPECT_EQ(peakBin, k) << (useWindow ? "window" : "taper");
    }
}

// An impulse gives every bin exactly the same magnitude; DC plus Nyquist gives two.
TEST(SpectrumFFT, TiesGoToTheLowestBin) {
  BuildWindow(WindowRectangular, N);
  std::vector<int16_t> impulse(N, 0);
  impulse[0] = 1000;
  uint16_t peakBin = 77;
  const auto flat = RawSpectrum(impulse, true, peakBin);
  ASSERT_EQ(flat.front(), flat.back());
  EXPECT_EQ(peakBin, 0);

  std::vector<int16_t> evenOnly(N, 0);
  for (std::size_t i = 0; i < N; i += 2)
    evenOnly[i] = 1000;
  peakBin = 77;
  const auto ends = RawSpectrum(evenOnly, true, peakBin);
  ASSERT_EQ(ends[0], ends[N / 2]);
  ASSERT_GT(ends[0], 0.0);
  EXPECT_EQ(peakBin, 0);
}

TEST(SpectrumFFT, TaperIgnoresTheFirstSample) {
  auto block = Noise(N, 3);
  uint16_t peakBin = 0;
  const auto before = RawSpectrum(block, false, peakBin);
  block[0] = static_cast<int16_t>(block[0] ^ 0x5A5A);
  const auto after = RawSpectrum(block, false, peakBin);
  EXPECT_EQ(before, after);
  block[1] = static_cast<int16_t>(block[1] ^ 0x5A5A);
  EXPECT_NE(RawSpectrum(block, false, peakBin), before);
}

// Outside the caller's limits the call must not touch memory or outputs.
TEST(SpectrumFFT, CallsOutsideTheLimitsDoNothing) {
  const auto block = Noise(N, 5);
  std::vector<double> values(Bins, -1.0);
  uint16_t peakBin = 9;
  SpectrumFFT(N, 12, block.data(), values.data(), peakBin, ScaleRaw, 1, 0, false, false, false);
  SpectrumFFT(1000, 10, block.data(), values.data(), peakBin, ScaleRaw, 1, 0, false, false, false);
  SpectrumFFT(0, 0, block.data(), values.data(), peakBin, ScaleRaw, 1, 0, false, false, false);
  BuildWindow(WindowHann, 1024);
  SpectrumFFT(N, Bits, block.data(), values.data(), peakBin, ScaleRaw, 1, 0, false, false, true);
  EXPECT_EQ(peakBin, 9);
  EXPECT_TRUE(std::all_of(values.begin(), values.end(), [](double v) { return v == -1.0; }));
}

} // namespace
