#include <gtest/gtest.h>

#include <vector>

#include "views/AmpGraphDrawing.h"

namespace {

// System colours come from the application's palette, so they are looked up
// once the application exists.
TColor Shadow() {
  return ColorToRGB(clBtnShadow);
}
TColor Face() {
  return ColorToRGB(clBtnFace);
}

Bitmap Display() {
  return Bitmap(1011, 512);
}

// The label strip below the baseline, as a picture of its own.
QImage Strip(const Bitmap& b) {
  return b.Image().copy(0, 494, b.Width(), 18);
}

} // namespace

// A block's peak sets the trace's row: full scale at the top in every range,
// -20 dB and -30 dB on their grid lines, and below the graph in the 10 dB range.
TEST(AmpTrace, RowOfTheBlockPeakInEachRange) {
  for (double range : {AmpPixelsPerDb10, AmpPixelsPerDb30, AmpPixelsPerDb60})
    EXPECT_EQ(AmpTraceRow(32767, range), 15) << range;
  EXPECT_EQ(AmpTraceRow(3276, AmpPixelsPerDb30), 322);
  EXPECT_EQ(AmpTraceRow(3276, AmpPixelsPerDb60), 168);
  EXPECT_EQ(AmpTraceRow(3276, AmpPixelsPerDb10), 938);
  EXPECT_EQ(AmpTraceRow(1035, AmpPixelsPerDb30), 477);
  EXPECT_EQ(AmpPixelsPerDb(false, false, true), AmpPixelsPerDb60);
  EXPECT_FALSE(AmpPixelsPerDb(false, false, false));
}

// Lines join points less than 25 columns apart; a point below the graph is
// skipped and the trace goes on from the last point drawn.
TEST(AmpTrace, LinesJoinNearPointsAndSkipPointsBelowTheGraph) {
  Bitmap b = Display();
  QPoint prev = AmpTraceStart, cur = AmpTraceStart;
  const TraceStyle line{true, false, clFuchsia};
  auto step = [&](int x, int32_t peak) {
    StepAmpTrace(b, prev, cur, x, peak, AmpPixelsPerDb10, line);
  };

  step(100, 32767); // 100 columns from the start: no line
  EXPECT_EQ(b.GetPixel(50, 15), clBlack);
  EXPECT_EQ(b.GetPixel(50, 253), clBlack);
  step(124, 32767); // 24 columns: joined, end pixel left out
  EXPECT_EQ(b.GetPixel(100, 15), clFuchsia);
  EXPECT_EQ(b.GetPixel(123, 15), clFuchsia);
  EXPECT_EQ(b.GetPixel(124, 15), clBlack);
  step(149, 32767); // 25 columns: a new segment
  EXPECT_EQ(b.GetPixel(130, 15), clBlack);

  step(160, 3276); // row 938: neither drawn nor remembered
  EXPECT_EQ(cur, QPoint(160, 938));
  EXPECT_EQ(prev, QPoint(149, 15));
  step(170, 32767); // joined to the last point drawn
  EXPECT_EQ(b.GetPixel(160, 15), clFuchsia);
  step(146, 32767); // 24 columns back: joined
  EXPECT_EQ(b.GetPixel(150, 15), clFuchsia);
}

// With no range ticked the row stays; "Dot" sets only the newest point.
TEST(AmpTrace, DotsSetSinglePixels) {
  Bitmap b = Display();
  QPoint prev(10, 200), cur(10, 200);
  StepAmpTrace(b, prev, cur, 20, 32767, std::nullopt, {false, true, clAqua});
  EXPECT_EQ(b.GetPixel(20, 200), clAqua);
  EXPECT_EQ(b.GetPixel(15, 200), clBlack);
  EXPECT_EQ(prev, QPoint(20, 200));
}

// Bars stand on row 492, value / 90.5 rounded half to even, at most 492 high.
TEST(FFTBars, HeightsAtTheRoundingEdges) {
  EXPECT_EQ(FFTBarHeight(45.25), 0);
  EXPECT_EQ(FFTBarHeight(135.75), 2);
  EXPECT_EQ(FFTBarHeight(44526.75), 492);
  EXPECT_EQ(FFTBarHeight(1e12), 492);
  EXPECT_EQ(FFTBarHeight(-5000.0), 0);

  Bitmap b = Display();
  b.BrushColor = clBtnFace;
  b.FillRect(0, 493, 1011, 512);
  std::vector<double> values(3, 0.0);
  values[1] = 905.0; // 10 pixels
  values[2] = 1e9;   // the whole graph
  DrawFFTBars(b, values, clFuchsia);
  EXPECT_EQ(b.GetPixel(0, 492), clBlack);
  EXPECT_EQ(b.GetPixel(1, 492), clFuchsia);
  EXPECT_EQ(b.GetPixel(1, 483), clFuchsia);
  EXPECT_EQ(b.GetPixel(1, 482), clBlack);
  EXPECT_EQ(b.GetPixel(2, 1), clFuchsia);
  EXPECT_EQ(b.GetPixel(2, 0), clBlack);
  EXPECT_EQ(b.GetPixel(1, 493), Face());
}

// The amplitude view's background: level lines every 15.39 rows, a vertical
// line per kHz that stops above row 492, the white baseline, and labels at
// the same places with or without "Low Frq", only the numbers changing.
TEST(AmpBackground, GridBaselineAndLabels) {
  Bitmap amp = Display();
  DrawAmpBackground(amp, true, false, false);
  for (int y : {15, 30, 46, 477})
    EXPECT_EQ(amp.GetPixel(500, y), Shadow()) << y;
  EXPECT_EQ(amp.GetPixel(500, 16), clBlack);
  for (int x : {43, 85, 981}) {
    EXPECT_EQ(amp.GetPixel(x, 100), Shadow()) << x;
    EXPECT_EQ(amp.GetPixel(x, 491), Shadow()) << x;
    EXPECT_EQ(amp.GetPixel(x, 492), clBlack) << x;
  }
  EXPECT_EQ(amp.GetPixel(42, 100), clBlack);
  EXPECT_EQ(amp.GetPixel(0, 493), clWhite);
  EXPECT_EQ(amp.GetPixel(1010, 493), clWhite);

  const int labelX[23] = {29,  72,  115, 157, 200, 243, 285, 328, 371, 413, 456, 499,
                          541, 584, 627, 669, 712, 755, 797, 840, 883, 925, 968};
  for (int step : {1000, 200}) {
    Bitmap expected = Display();
    expected.BrushColor = clBtnFace;
    expected.FillRect(0, 0, 1011, 512);
    expected.TextOut(1, 496, QStringLiteral("0 Hz"));
    for (int i = 1; i <= 23; ++i)
      expected.TextOut(labelX[i - 1], 496, QString::number(step * i));
    Bitmap drawn = Display();
    DrawAmpBackground(drawn, true, step == 200, false);
    EXPECT_EQ(Strip(drawn), Strip(expected)) << step;
    // The FFT graph keeps kilohertz labels whatever "Low Frq" says.
    if (step == 1000) {
      Bitmap fft = Display();
      DrawAmpBackground(fft, false, true, true);
      EXPECT_EQ(Strip(fft), Strip(expected));
      EXPECT_EQ(fft.GetPixel(43, 100), clBlack);
      EXPECT_EQ(fft.GetPixel(500, 15), clBlack);
    }
  }

  Bitmap spectrogram = Display();
  DrawAmpBackground(spectrogram, false, false, false);
  EXPECT_EQ(spectrogram.GetPixel(1, 493), clBlack);
  EXPECT_EQ(spectrogram.GetPixel(40, 500), clBlack);
}

// The FFT graph's grid: every 500 Hz across (down to row 491), 20 levels down.
TEST(FFTBars, ClearingDrawsTheOptionalGrid) {
  Bitmap b = Display();
  DrawAmpBackground(b, false, false, true);
  b.SetPixel(300, 300, clAqua);
  ClearFFTArea(b, true);
  for (int x : {21, 43, 1003}) {
    EXPECT_EQ(b.GetPixel(x, 491), Shadow()) << x;
    EXPECT_EQ(b.GetPixel(x, 492), clBlack) << x;
  }
  for (int y : {23, 46, 467})
    EXPECT_EQ(b.GetPixel(300, y), Shadow()) << y;
  EXPECT_EQ(b.GetPixel(300, 300), clBlack);
  EXPECT_EQ(b.GetPixel(0, 493), clWhite);

  ClearFFTArea(b, false);
  EXPECT_EQ(b.GetPixel(21, 100), clBlack);
  EXPECT_EQ(b.GetPixel(300, 23), clBlack);
}
