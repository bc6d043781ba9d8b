#include <gtest/gtest.h>

#include <set>

#include "views/SpectrogramDrawing.h"

namespace {

constexpr TColor Grey(int g) {
  return RGBColor(uint8_t(g), uint8_t(g), uint8_t(g));
}

// The rows of the column that are not black.
std::set<int> LitRows(const Bitmap& column) {
  std::set<int> rows;
  for (int y = 0; y < column.Height(); ++y)
    if (column.GetPixel(0, y) != clBlack) rows.insert(y);
  return rows;
}

} // namespace

// One strong bin lands on the rows of its frequency in each range: three
// neighbours per row at 0..24 kHz (bin 1025 is always 0), one at 0..12 kHz,
// two rows per bin at 0..6 kHz with bin 0 and bin 256 on one row each.
TEST(SpectrogramDrawing, ABinLandsOnItsRowsInEachRange) {
  struct Case {
    SpectrogramRange range;
    int bin;
    std::set<int> rows;
  };
  const Case cases[] = {
      {SpectrogramRange::Full, 100, {462}},
      {SpectrogramRange::Full, 101, {461, 462}},
      {SpectrogramRange::Full, 1023, {0, 1}},
      {SpectrogramRange::Full, 1024, {0}},
      {SpectrogramRange::Half, 1, {511}},
      {SpectrogramRange::Half, 512, {0}},
      {SpectrogramRange::Half, 513, {}},
      {SpectrogramRange::Quarter, 0, {511}},
      {SpectrogramRange::Quarter, 100, {311, 312}},
      {SpectrogramRange::Quarter, 256, {0}},
  };
  for (const Case& c : cases) {
    SpectrumState spectrum;
    spectrum.SpectrumL[static_cast<size_t>(c.bin)] = 40000;
    Bitmap column(1, 512);
    PaintColumn(column, spectrum, {false, true}, c.range, false);
    EXPECT_EQ(LitRows(column), c.rows) << "bin " << c.bin << " range " << int(c.range);
    for (int row : c.rows)
      EXPECT_EQ(column.GetPixel(0, row), clWhite);
  }
}

// With both channels each bin is the channels' mean, and at 0..24 kHz the
// largest of three such means; with one channel only that one is read.
TEST(SpectrogramDrawing, BothChannelsAreAveragedBeforeTheLargestIsTaken) {
  SpectrumState spectrum;
  spectrum.SpectrumR[200] = 25600; // grey 200
  spectrum.SpectrumL[199] = 12800; // grey 100
  const int row = 512 - 100;       // bins 199..201
  Bitmap column(1, 512);
  PaintColumn(column, spectrum, {true, true}, SpectrogramRange::Full, false);
  EXPECT_EQ(column.GetPixel(0, row), Grey(100));
  PaintColumn(column, spectrum, {true, false}, SpectrogramRange::Full, false);
  EXPECT_EQ(column.GetPixel(0, row), Grey(200));
  PaintColumn(column, spectrum, {false, true}, SpectrogramRange::Full, false);
  EXPECT_EQ(column.GetPixel(0, row), Grey(100));
  PaintColumn(column, spectrum, {true, true}, SpectrogramRange::Half, false);
  EXPECT_EQ(column.GetPixel(0, 512 - 200), Grey(100));
}

TEST(SpectrogramDrawing, GreyRoundsHalfToEvenAndColourIsLimited) {
  EXPECT_EQ(LevelColor(0, false), clBlack);
  EXPECT_EQ(LevelColor(64, false), Grey(0));
  EXPECT_EQ(LevelColor(192, false), Grey(2));
  EXPECT_EQ(LevelColor(32576, false), Grey(254));
  EXPECT_EQ(LevelColor(32577, false), Grey(255));
  EXPECT_EQ(LevelColor(1e9, false), clWhite);
  EXPECT_EQ(LevelColor(-500, false), clBlack);
  // Silence is dark purple, and levels past the top stay red.
  EXPECT_EQ(LevelColor(0, true), RGBColor(76, 0, 76));
  EXPECT_EQ(LevelColor(1e6, true), RGBColor(255, 0, 0));
}

// Each block scrolls the picture left by the speed and fills that many
// columns at the right edge with its column.
TEST(SpectrogramDrawing, SpeedNineGivesNineIdenticalColumnsAndScrolls) {
  Bitmap display(1011, 512);
  for (int x = 0; x < display.Width(); ++x)
    display.SetPixel(x, 7, RGBColor(uint8_t(x), uint8_t(x >> 8), 1));
  Bitmap first(1, 512), second(1, 512);
  first.BrushColor = clRed;
  first.FillRect(0, 0, 1, 512);
  second.BrushColor = clLime;
  second.FillRect(0, 0, 1, 512);

  ScrollInColumn(display, first, 9);
  ScrollInColumn(display, second, 9);
  for (int x = 0; x < 993; ++x)
    ASSERT_EQ(display.GetPixel(x, 7), RGBColor(uint8_t(x + 18), uint8_t((x + 18) >> 8), 1)) << x;
  for (int x = 993; x < 1002; ++x) {
    EXPECT_EQ(display.GetPixel(x, 0), clRed) << x;
    EXPECT_EQ(display.GetPixel(x, 511), clRed) << x;
  }
  for (int x = 1002; x < 1011; ++x) {
    EXPECT_EQ(display.GetPixel(x, 0), clLime) << x;
    EXPECT_EQ(display.GetPixel(x, 511), clLime) << x;
  }
  EXPECT_EQ(display.GetPixel(992, 0), clBlack);
}
