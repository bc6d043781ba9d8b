// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "views/AmpGraphDrawing.h"

// Full scale plots on row 15 in every range; -20 dB and -30 dB on their grid
// lines, and -20 dB falls below the graph in the 10 dB range.
TEST(AmpTrace, RowOfTheBlockPeakInEachRange) {
  for (double range : {AmpPixelsPerDb10, AmpPixelsPerDb30, AmpPixelsPerDb60})
    EXPECT_EQ(AmpTraceRow(32767, range), 15) << range;
  EXPECT_EQ(AmpTraceRow(3276, AmpPixelsPerDb30), 322);
  EXPECT_EQ(AmpTraceRow(3276, AmpPixelsPerDb60), 168);
  EXPECT_EQ(AmpTraceRow(3276, AmpPixelsPerDb10), 938);
  EXPECT_EQ(AmpTraceRow(1035, AmpPixelsPerDb30), 477);
}

// Points less than 25 columns apart are joined; a point below the graph is
// skipped, and the trace goes on from the last point drawn. Every pixel a
// step changes lies in the rectangle it gives, the part the window repaints.
TEST(AmpTrace, LinesJoinNearPointsAndSkipPointsBelowTheGraph) {
  Bitmap b(1011, 512);
  QPoint prev = AmpTraceStart, cur = AmpTraceStart;
  auto step = [&](int x, int32_t peak, bool dot = false) {
    const QImage before = b.Image();
    const QRect touched =
        StepAmpTrace(b, prev, cur, x, peak, AmpPixelsPerDb10, {!dot, dot, clFuchsia});
    for (int y = 0; y < b.Height(); ++y)
      for (int px = 0; px < b.Width(); ++px)
        if (b.GetPixel(px, y) != FromQRgb(before.pixel(px, y))) {
          ASSERT_TRUE(touched.contains(px, y)) << "step to " << x << ": " << px << "," << y;
        }
  };
  step(100, 32767); // 100 columns from the start
  step(124, 32767);
  EXPECT_EQ(b.GetPixel(100, 15), clFuchsia);
  EXPECT_EQ(b.GetPixel(123, 15), clFuchsia);
  EXPECT_EQ(b.GetPixel(124, 15), clBlack); // the end pixel
  step(149, 32767);
  EXPECT_EQ(b.GetPixel(130, 15), clBlack);
  step(160, 3276); // row 938
  EXPECT_EQ(prev, QPoint(149, 15));
  step(170, 32767);
  EXPECT_EQ(b.GetPixel(160, 15), clFuchsia);
  step(180, 30000, true);
  EXPECT_EQ(b.GetPixel(180, AmpTraceRow(30000, AmpPixelsPerDb10)), clFuchsia);
}

// value / 90.5 rounded half to even, at most 492, standing on row 492.
TEST(FFTBars, HeightsAtTheRoundingEdges) {
  EXPECT_EQ(FFTBarHeight(45.25), 0);
  EXPECT_EQ(FFTBarHeight(135.75), 2);
  EXPECT_EQ(FFTBarHeight(44526.75), 492);
  EXPECT_EQ(FFTBarHeight(1e9), 492);
  Bitmap b(1011, 512);
  const double values[] = {0.0, 905.0, 1e9};
  DrawFFTBars(b, values, clAqua);
  EXPECT_EQ(b.GetPixel(1, 492), clAqua);
  EXPECT_EQ(b.GetPixel(1, 483), clAqua);
  EXPECT_EQ(b.GetPixel(1, 482), clBlack);
  // Above the limit a bar fills rows 1..492: row 0 stays black.
  EXPECT_EQ(b.GetPixel(2, 1), clAqua);
  EXPECT_EQ(b.GetPixel(2, 0), clBlack);
}

// The labels keep their places with "Low Frq"; only the numbers change, and
// only in the amplitude view. Its vertical lines stop above row 492.
TEST(AmpBackground, LabelsAndLines) {
  const int labelX[23] = {29,  72,  115, 157, 200, 243, 285, 328, 371, 413, 456, 499,
                          541, 584, 627, 669, 712, 755, 797, 840, 883, 925, 968};
  auto strip = [](const Bitmap& b) { return b.Image().copy(0, 494, 1011, 18); };
  auto expected = [&](int step) {
    Bitmap b(1011, 512);
    b.BrushColor = clBtnFace;
    b.FillRect(0, 0, 1011, 512);
    b.TextOut(1, 496, QStringLiteral("0 Hz"));
    for (int i = 1; i <= 23; ++i)
      b.TextOut(labelX[i - 1], 496, QString::number(step * i));
    return strip(b);
  };
  auto drawn = [&](bool spectralAmp, bool lowFrq) {
    Bitmap b(1011, 512);
    DrawAmpBackground(b, spectralAmp, lowFrq, !spectralAmp);
    return strip(b);
  };
  EXPECT_EQ(drawn(true, false), expected(1000));
  EXPECT_EQ(drawn(true, true), expected(200));
  EXPECT_EQ(drawn(false, true), expected(1000));

  Bitmap amp(1011, 512);
  DrawAmpBackground(amp, true, false, false);
  const TColor shadow = ColorToRGB(clBtnShadow);
  EXPECT_EQ(amp.GetPixel(43, 491), shadow);
  EXPECT_EQ(amp.GetPixel(43, 492), clBlack);
  EXPECT_EQ(amp.GetPixel(500, 477), shadow);
  EXPECT_EQ(amp.GetPixel(500, 493), clWhite);
}
