// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>

#include "views/SpectrogramDrawing.h"

namespace {

constexpr TColor Grey(int g) {
  return RGBColor(uint8_t(g), uint8_t(g), uint8_t(g));
}

} // namespace

// One strong bin lands on the rows of its frequency in each range: three
// neighbours per row at 0..24 kHz (bin 1025 is always 0), one at 0..12 kHz,
// two rows per bin at 0..6 kHz with bin 0 and bin 256 on one row each.
TEST(SpectrogramDrawing, ABinLandsOnItsRowsInEachRange) {
  using R = SpectrogramRange;
  const std::tuple<R, int, std::set<int>> cases[] = {
      {R::Full, 100, {462}},  {R::Full, 101, {461, 462}},    {R::Full, 1023, {0, 1}},
      {R::Full, 1024, {0}},   {R::Half, 1, {511}},           {R::Half, 513, {}},
      {R::Quarter, 0, {511}}, {R::Quarter, 100, {311, 312}}, {R::Quarter, 256, {0}},
  };
  for (const auto& [range, bin, rows] : cases) {
    SpectrumState spectrum;
    spectrum.SpectrumL[static_cast<size_t>(bin)] = 40000;
    Bitmap column(1, 512);
    PaintColumn(column, spectrum, {false, true}, range, false);
    std::set<int> lit;
    for (int y = 0; y < 512; ++y)
      if (column.GetPixel(0, y) != clBlack) lit.insert(y);
    EXPECT_EQ(lit, rows) << "bin " << bin << " range " << int(range);
  }
}

// With both channels each bin is the channels' mean, and at 0..24 kHz the
// largest of three such means; with one channel only that one is read.
TEST(SpectrogramDrawing, BothChannelsAreAveragedBeforeTheLargestIsTaken) {
  SpectrumState spectrum;
  spectrum.SpectrumR[200] = 25600; // grey 200
  spectrum.SpectrumL[199] = 12800; // grey 100
  Bitmap column(1, 512);
  const std::pair<ChannelChoice, int> cases[] = {{{true, true}, 100}, {{true, false}, 200}};
  for (const auto& [channels, grey] : cases) {
    PaintColumn(column, spectrum, channels, SpectrogramRange::Full, false);
    EXPECT_EQ(column.GetPixel(0, 512 - 100), Grey(grey)); // bins 199..201
  }
}

TEST(SpectrogramDrawing, GreyRoundsHalfToEvenAndColourIsLimited) {
  EXPECT_EQ(LevelColor(64, false), Grey(0));
  EXPECT_EQ(LevelColor(192, false), Grey(2));
  EXPECT_EQ(LevelColor(32576, false), Grey(254));
  EXPECT_EQ(LevelColor(32577, false), Grey(255));
  EXPECT_EQ(LevelColor(-500, false), clBlack);
  // Silence is dark purple, and levels past the top stay red.
  EXPECT_EQ(LevelColor(0, true), RGBColor(76, 0, 76));
  EXPECT_EQ(LevelColor(1e6, true), RGBColor(255, 0, 0));
}
