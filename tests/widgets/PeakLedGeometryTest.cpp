// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "widgets/PeakLedGeometry.h"

namespace {

// The meters on the main window: 250 x 12, 74 + 6 + 3 blocks, Spacing -1.
constexpr LedZones kWindowZones{74, 6, 3};
constexpr int32_t kN = 83;
constexpr int32_t kW = 250;
constexpr int32_t kH = 12;
constexpr int32_t kSpacing = -1;
constexpr int32_t kMax = 32767;

const LedPalette kWindowPalette{
    {clLime, clYellow, clRed}, {clGreen, clOlive, clMaroon}, clRed, true};

int32_t Lit(int32_t level) {
  return LedLitCounts(kN, level, 0, kMax).lit;
}

std::vector<TColor> Colors(LedCounts counts, const LedPalette& palette) {
  std::vector<TColor> out;
  for (int32_t k = 1; k <= kN; ++k)
    out.push_back(LedBlockColor(k, kWindowZones, counts, palette));
  return out;
}

TEST(PeakLedCounts, WindowMeterThresholds) {
  EXPECT_EQ(LedBlockTotal(kWindowZones), kN);
  EXPECT_EQ(Lit(394), 0);
  EXPECT_EQ(Lit(395), 1);
  EXPECT_EQ(Lit(16383), 41);
  EXPECT_EQ(Lit(30000), 75);
  EXPECT_EQ(Lit(32767), 83);
  EXPECT_EQ(Lit(32768), 83);
  EXPECT_EQ(Lit(0), 0);
  // No lower bound: a negative level gives a negative count that lights nothing.
  EXPECT_EQ(Lit(-32767), -83);
  const LedCounts both = LedLitCounts(kN, 16383, 30000, kMax);
  EXPECT_EQ(both.lit, 41);
  EXPECT_EQ(both.pk, 75);
  EXPECT_EQ(LedLitCounts(kN, 0, 1000000, kMax).pk, kN);
}

TEST(PeakLedCounts, ProductsWrapInThirtyTwoBits) {
  // 83 * 2^30 = 20.75 * 2^32: the 32-bit product is -2^30, so a huge level
  // lights nothing.
  EXPECT_EQ(Lit(1 << 30), -32769);
  // 83 * (2^31 - 1) wraps to 2^31 - 83, still positive, capped at n.
  EXPECT_EQ(Lit(INT32_MAX), kN);
  // 83 * -2^31 wraps to -2^31 itself.
  EXPECT_EQ(LedLitCounts(kN, INT32_MIN, INT32_MIN, kMax).lit, INT32_MIN / kMax);
  EXPECT_EQ(LedBlockTotal({INT32_MAX, 1, 1}), INT32_MIN + 1);
}

TEST(PeakLedCounts, NonPositiveMaxLightsNothing) {
  for (int32_t max : {0, -1, -32767, INT32_MIN}) {
    const LedCounts c = LedLitCounts(kN, 16383, 30000, max);
    EXPECT_EQ(c.lit, 0) << max;
    EXPECT_EQ(c.pk, 0) << max;
  }
}

TEST(PeakLedGeometry, WindowMeterBlocks) {
  const int32_t expectedLeft[] = {1, 4, 7};
  for (int32_t k = 1; k <= 3; ++k)
    EXPECT_EQ(LedBlockRect(loHorizontal, k, kN, kW, kH, kSpacing).left, expectedLeft[k - 1]);
  EXPECT_EQ(LedBlockRect(loHorizontal, kN, kN, kW, kH, kSpacing).left, 247);

  int32_t previousRight = 0;
  for (int32_t k = 1; k <= kN; ++k) {
    const LedRect r = LedBlockRect(loHorizontal, k, kN, kW, kH, kSpacing);
    EXPECT_EQ(r.right - r.left, 2) << k;
    EXPECT_EQ(r.top, 2) << k;
    EXPECT_EQ(r.bottom, 10) << k;
    // 250 is not a multiple of 83: the gap is one pixel, now and then two.
    const int32_t gap = r.left - previousRight;
    EXPECT_TRUE(gap == 1 || gap == 2) << k << " gap " << gap;
    previousRight = r.right;
  }
  EXPECT_LE(previousRight, kW);
}

TEST(PeakLedGeometry, CellInsideIsTheBlock) {
  struct Case {
    TPeakLedDisplayOrientation orientation;
    int32_t n, w, h, spacing;
  };
  const Case cases[] = {{loHorizontal, 83, 250, 12, -1},
                        {loHorizontal, 10, 101, 30, 3},
                        {loVertical, 10, 30, 200, 2},
                        {loVertical, 7, 17, 99, -2},
                        {loHorizontal, 300, 250, 12, 0}};
  for (const Case& c : cases) {
    for (int32_t k = 1; k <= c.n; ++k) {
      const LedRect cell = LedCellRect(c.orientation, k, c.n, c.w, c.h, c.spacing);
      const LedRect block = LedBlockRect(c.orientation, k, c.n, c.w, c.h, c.spacing);
      EXPECT_EQ(cell.left + 1, block.left);
      EXPECT_EQ(cell.top + 1, block.top);
      EXPECT_EQ(cell.right - 1, block.right);
      EXPECT_EQ(cell.bottom - 1, block.bottom);
    }
  }
}

TEST(PeakLedColors, LevelWithPeakAboveIt) {
  const std::vector<TColor> colors = Colors(LedLitCounts(kN, 16383, 30000, kMax), kWindowPalette);
  for (int32_t k = 1; k <= kN; ++k) {
    TColor expected;
    if (k <= 41)
      expected = clLime;
    else if (k == 75)
      expected = clRed;
    else
      expected = k <= 74 ? clGreen : (k <= 80 ? clOlive : clMaroon);
    EXPECT_EQ(colors[k - 1], expected) << "block " << k;
  }
}

TEST(PeakLedColors, PeakInZoneColourWithoutOnePeakColor) {
  LedPalette palette = kWindowPalette;
  palette.peak = clFuchsia;
  palette.onePeakColor = false;
  EXPECT_EQ(Colors(LedLitCounts(kN, 16383, 30000, kMax), palette)[74], clYellow);
  EXPECT_EQ(Colors(LedLitCounts(kN, 0, 10000, kMax), palette)[24], clLime);
  palette.onePeakColor = true;
  EXPECT_EQ(Colors(LedLitCounts(kN, 0, 32767, kMax), palette)[82], clFuchsia);
}

TEST(PeakLedColors, NoSeparatePeakInsideTheBar) {
  LedPalette palette = kWindowPalette;
  palette.peak = clFuchsia;
  // Peak equal to, below, or only so little above the level that pk = lit.
  const std::pair<int32_t, int32_t> cases[] = {{16383, 16383}, {16383, 400}, {400, 700}};
  for (auto [level, peak] : cases) {
    const LedCounts counts = LedLitCounts(kN, level, peak, kMax);
    const std::vector<TColor> colors = Colors(counts, palette);
    const std::vector<TColor> plain = Colors({counts.lit, 0}, palette);
    EXPECT_EQ(colors, plain) << level << "/" << peak;
  }
  EXPECT_EQ(Colors(LedLitCounts(kN, 400, 700, kMax), palette)[1], clGreen);
}

} // namespace
