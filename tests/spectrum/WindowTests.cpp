// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumLibrary.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

namespace {

TEST(BuildWindow, RectangularIsAllOnes) {
  BuildWindow(WindowRectangular, 37);
  ASSERT_EQ(WindowTable().size(), 37u);
  for (double w : WindowTable())
    EXPECT_EQ(w, 1.0);
}

TEST(BuildWindow, BlackmanNuttallEndsAndCentre) {
  BuildWindow(WindowBlackmanNuttall, 2048);
  const auto& w = WindowTable();
  ASSERT_EQ(w.size(), 2048u);
  EXPECT_NEAR(w[0], 0.0003628, 1e-15);
  EXPECT_NEAR(w[2047], 0.0003628, 1e-15);
  EXPECT_NEAR(w[1023], 1.0, 1e-5);
  EXPECT_NEAR(w[1024], 1.0, 1e-5);
  const double maximum = *std::max_element(w.begin(), w.end());
  EXPECT_EQ(maximum, std::max(w[1023], w[1024]));
}

// Every type against its formula over the centred x, and mirror symmetry.
TEST(BuildWindow, EachTypeFollowsItsFormula) {
  const double pi = std::numbers::pi;
  struct Case {
    uint8_t type;
    double (*formula)(double x, double pi);
  };
  const Case cases[] = {
      {WindowTriangular, [](double x, double) { return 1.0 - 2.0 * std::fabs(x); }},
      {WindowHann, [](double x, double p) { return 0.5 + 0.5 * std::cos(2 * p * x); }},
      {WindowHamming, [](double x, double p) { return 0.54 + 0.46 * std::cos(2 * p * x); }},
      {WindowBlackmanNuttall,
       [](double x, double p) {
         const double t = x + 0.5; // the same window written over t = i / (Count - 1)
         return 0.3635819 - 0.4891775 * std::cos(2 * p * t) + 0.1365995 * std::cos(4 * p * t) -
                0.0106411 * std::cos(6 * p * t);
       }},
  };
  for (const Case& c : cases) {
    BuildWindow(c.type, 101);
    const auto& w = WindowTable();
    ASSERT_EQ(w.size(), 101u);
    for (std::size_t i = 0; i < w.size(); ++i) {
      const double x = static_cast<double>(i) / 100.0 - 0.5;
      EXPECT_NEAR(w[i], c.formula(x, pi), 1e-13) << "type " << int(c.type) << " entry " << i;
      EXPECT_NEAR(w[i], w[100 - i], 1e-15);
    }
  }
  BuildWindow(WindowHann, 64);
  EXPECT_NEAR(WindowTable().front(), 0.0, 1e-16);
  BuildWindow(WindowHamming, 64);
  EXPECT_NEAR(WindowTable().back(), 0.08, 1e-15);
}

TEST(BuildWindow, UnknownTypeResizesWithoutWriting) {
  BuildWindow(WindowHann, 8);
  const double kept = WindowTable()[3];
  BuildWindow(5, 12);
  ASSERT_EQ(WindowTable().size(), 12u);
  EXPECT_EQ(WindowTable()[3], kept);
  EXPECT_EQ(WindowTable()[11], 0.0);
}

// A single entry has no ends to divide between: it is the centre of the window.
TEST(BuildWindow, SingleEntryIsTheCentre) {
  for (uint8_t type = 0; type <= 4; ++type) {
    BuildWindow(type, 1);
    ASSERT_EQ(WindowTable().size(), 1u);
    EXPECT_NEAR(WindowTable()[0], 1.0, 1e-15) << int(type);
  }
  BuildWindow(WindowHann, 0);
  EXPECT_TRUE(WindowTable().empty());
}

TEST(BitReverse, ReversesTheLowBits) {
  EXPECT_EQ(BitReverse(1, 11), 1024);
  EXPECT_EQ(BitReverse(0b00000000110, 11), 0b01100000000);
  EXPECT_EQ(BitReverse(2047, 11), 2047);
  EXPECT_EQ(BitReverse(0xFFFF, 3), 7); // only the low Bits are taken
  EXPECT_EQ(BitReverse(0x8001, 16), 0x8001);
  EXPECT_EQ(BitReverse(12345, 0), 0);
  for (uint16_t v = 0; v < 1024; ++v)
    EXPECT_EQ(BitReverse(uint16_t(BitReverse(v, 10)), 10), v);
}

} // namespace
