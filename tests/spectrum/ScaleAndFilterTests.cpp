// SPDX-License-Identifier: GPL-3.0-or-later
// The four display scalings and the peak-only filter.
#include "TestSignals.h"
#include "spectrum/SpectrumLibrary.h"

#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace spectrum_test;

constexpr uint16_t N = 2048;
constexpr uint16_t Bits = 11;
constexpr std::size_t Bins = N / 2 + 1;

std::vector<double> Transform(const std::vector<int16_t>& block, uint8_t mode, double gain,
                              int32_t blockPeak, bool autoScale, bool filter = false,
                              uint16_t n = N) {
  std::vector<double> values(n / 2 + 1, 0.0);
  uint16_t peakBin = 0;
  SpectrumFFT(n, static_cast<uint16_t>(std::countr_zero(n)), block.data(), values.data(), peakBin,
              mode, gain, blockPeak, filter, autoScale, true);
  return values;
}

struct Mode {
  uint8_t mode;
  bool autoScale;
  double (*formula)(double m, double gain, double peak);
};

// Each mode against its formula applied to the raw magnitudes. Linear squares the
// gain, so a gain of 3 tells G from G squared.
TEST(SpectrumScale, EachModeFollowsItsFormula) {
  const Mode modes[] = {
      {ScaleLog, false,
       [](double m, double g, double) { return std::log10(m / 2000 + 1) * g * 1000; }},
      {ScaleLog, true,
       [](double m, double, double p) {
         return std::log10(m / 2000 + 1) * 35000 / std::log10(p + 2);
       }},
      {ScaleSqrt, false, [](double m, double g, double) { return std::sqrt(m) * g * 3; }},
      {ScaleSqrt, true,
       [](double m, double, double p) { return std::sqrt(m) * 2000 / std::sqrt(p + 1); }},
      {ScaleLinear, false, [](double m, double g, double) { return g * g * m / 2000; }},
      {ScaleLinear, true, [](double m, double, double p) { return m * 120 / (p + 1); }},
  };
  BuildWindow(WindowBlackmanNuttall, N);
  const auto block = Sine(N, 200.5, 25000.0);
  const double gain = 3.0;
  const int32_t peak = 25001;
  const auto raw = Transform(block, ScaleRaw, gain, peak, false);
  EXPECT_EQ(Transform(block, ScaleRaw, gain, peak, true), raw);
  for (const Mode& m : modes) {
    const auto values = Transform(block, m.mode, gain, peak, m.autoScale);
    for (std::size_t k = 0; k < Bins; ++k) {
      const double expected = m.formula(raw[k], gain, peak);
      ASSERT_NEAR(values[k], expected, 1e-12 * std::fabs(expected))
          << "mode " << int(m.mode) << " auto " << m.autoScale << " bin " << k;
    }
  }
}

TEST(SpectrumScale, UnknownModeLeavesValuesButFindsThePeak) {
  BuildWindow(WindowBlackmanNuttall, N);
  const auto block = Sine(N, 300, 10000.0);
  std::vector<double> values(Bins, -2.0);
  uint16_t peakBin = 0;
  SpectrumFFT(N, Bits, block.data(), values.data(), peakBin, 4, 1, 0, false, false, true);
  EXPECT_EQ(values, std::vector<double>(Bins, -2.0));
  EXPECT_EQ(peakBin, 300);
}

// Magnitudes designed bin by bin for N = 16 (bins 0..8), in thousands:
//   30 10 40 25 15 60 50 55 45
// Worked through the two interleaved sweeps:
//   forward  k=1..7 cuts bin k-1 when bin k is higher: bins 1 (40>10), 4 (60>15), 6 (55>50)
//   backward j=7..1 cuts bin j+1 when bin j is higher: bins 8, 6, 4 (25>0.15), 3
// Bin 1 lies below both neighbours but the backward sweep stops at j=1, so it is cut
// once; bins 4 and 6 are cut twice; bin 0 is never cut.
TEST(PeakFilter, HandWorkedSpectrum) {
  const double designed[9] = {30, 10, 40, 25, 15, 60, 50, 55, 45};
  const double cuts[9] = {1, 100, 1, 100, 10000, 1, 10000, 1, 100};
  const double scale = 800.0;
  std::vector<int16_t> block(16);
  for (std::size_t i = 0; i < 16; ++i) {
    double x = designed[0] + designed[8] * (i % 2 ? -1.0 : 1.0);
    for (std::size_t k = 1; k < 8; ++k)
      x += 2 * designed[k] * std::cos(2 * std::numbers::pi * double(k * i) / 16.0);
    block[i] = static_cast<int16_t>(std::lround(x * scale / 16.0));
  }
  BuildWindow(WindowRectangular, 16);
  const auto raw = Transform(block, ScaleRaw, 1, 0, false, false, 16);
  const auto filtered = Transform(block, ScaleRaw, 1, 0, false, true, 16);
  for (std::size_t k = 0; k < 9; ++k) {
    ASSERT_NEAR(raw[k], designed[k] * scale, 16.0) << "design bin " << k;
    const double expected = cuts[k] == 1     ? raw[k]
                            : cuts[k] == 100 ? raw[k] / 100
                                             : raw[k] / 100 / 100;
    EXPECT_EQ(filtered[k], expected) << "bin " << k;
  }
}

TEST(PeakFilter, FlatSpectrumIsUntouched) {
  BuildWindow(WindowRectangular, N);
  std::vector<int16_t> impulse(N, 0);
  impulse[0] = 3000;
  const auto plain = Transform(impulse, ScaleLog, 2.0, 0, false);
  EXPECT_EQ(Transform(impulse, ScaleLog, 2.0, 0, false, true), plain);
}

// Under the Hann window a bin-centred sine has exactly three bins: the peak keeps its
// value and both neighbours drop by 40 dB.
TEST(PeakFilter, SinglePeakKeepsItsValueAndCutsItsNeighbours) {
  BuildWindow(WindowHann, N);
  const auto block = Sine(N, 400, 30000.0);
  const auto plain = Transform(block, ScaleLinear, 1.0, 0, false);
  const auto filtered = Transform(block, ScaleLinear, 1.0, 0, false, true);
  EXPECT_EQ(filtered[400], plain[400]);
  EXPECT_EQ(filtered[399], plain[399] / 100);
  EXPECT_EQ(filtered[401], plain[401] / 100);
}

TEST(PeakFilter, NothingToDoForTwoPoints) {
  BuildWindow(WindowRectangular, 2);
  const std::vector<int16_t> block = {100, 40};
  EXPECT_EQ(Transform(block, ScaleRaw, 1, 0, false, true, 2),
            Transform(block, ScaleRaw, 1, 0, false, false, 2));
}

} // namespace
