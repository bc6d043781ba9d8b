// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/AmpGraphDrawing.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include <QString>

#include "views/Geometry.h"

namespace {

// The graphs' lowest row: bars stand on it.
constexpr int GraphFloor = Geometry::GraphRows - 1;
// Top of the frequency labels in the strip below the baseline.
constexpr int LabelTop = 496;
// Labels 1 kHz .. 23 kHz, 42.68 columns (1000 Hz) apart.
constexpr int LabelCount = 23;
// Columns in a trace jump that starts a new segment instead of a line.
constexpr int TraceJoinLimit = 25;

void HorizontalLine(Bitmap& b, int y) {
  b.MoveTo(0, y);
  b.LineTo(b.Width(), y);
}

// Rows 0..491 of column x.
void VerticalLine(Bitmap& b, int x) {
  b.MoveTo(x, 0);
  b.LineTo(x, GraphFloor);
}

int Rounded(double v) {
  // nearbyint rounds ties to even in the default rounding mode.
  return static_cast<int>(std::nearbyint(v));
}

} // namespace

std::optional<double> AmpPixelsPerDb(bool dB10, bool dB30, bool dB60) {
  if (dB10) return AmpPixelsPerDb10;
  if (dB30) return AmpPixelsPerDb30;
  if (dB60) return AmpPixelsPerDb60;
  return std::nullopt;
}

double AmpTraceLevel(int32_t peak) {
  // A negative peak cannot come from a block; it is treated as silence.
  return 20.0 * std::log10(std::max(peak, 0) + 1.0) - 90.309;
}

int AmpTraceRow(int32_t peak, double pixelsPerDb) {
  return static_cast<int>(std::trunc(-AmpTraceLevel(peak) * pixelsPerDb)) + AmpTopRow;
}

QRect StepAmpTrace(Bitmap& display, QPoint& prev, QPoint& cur, int x, int32_t peak,
                   std::optional<double> pixelsPerDb, const TraceStyle& style) {
  cur.setX(x);
  if (pixelsPerDb) cur.setY(AmpTraceRow(peak, *pixelsPerDb));
  if (cur.y() >= Geometry::GraphBaseline) return {};
  QRect touched;
  const bool near = prev.x() - cur.x() < TraceJoinLimit && cur.x() - prev.x() < TraceJoinLimit;
  if (style.Line && near) {
    display.PenColor = style.Color;
    display.MoveTo(prev.x(), prev.y());
    display.LineTo(cur.x(), cur.y());
    touched = Spanning(prev, cur);
  }
  if (style.Dot) {
    display.SetPixel(cur.x(), cur.y(), style.Color);
    touched |= QRect(cur, QSize(1, 1));
  }
  prev = cur;
  return touched & QRect(0, 0, display.Width(), display.Height());
}

void DrawAmpBackground(Bitmap& display, bool spectralAmp, bool lowFrq, bool fftMode) {
  const int width = display.Width(), height = display.Height();
  display.BrushColor = clBtnFace;
  display.FillRect(0, 0, width, height);
  display.BrushColor = clBlack;
  display.FillRect(0, 0, width, Geometry::GraphRows);
  display.PenColor = clWhite;
  HorizontalLine(display, Geometry::GraphBaseline);

  display.PenColor = clBtnShadow;
  display.BrushColor = clBtnFace;
  // One level line every AmpLevelSpacing rows: every dB, 2 dB or third of a dB.
  if (spectralAmp)
    for (int i = 1; i <= 31; ++i)
      HorizontalLine(display, static_cast<int>(i * AmpLevelSpacing));

  display.TextOut(1, LabelTop, QStringLiteral("0 Hz"));
  // "Low Frq" spreads the trace five times wider: the same places name a fifth.
  const int step = spectralAmp && lowFrq ? 200 : 1000;
  for (int i = 1; i <= LabelCount; ++i) {
    display.TextOut(static_cast<int>(i * 42.68) - 13, LabelTop, QString::number(step * i));
    if (spectralAmp) VerticalLine(display, Rounded(i * 42.67));
  }

  if (!spectralAmp && !fftMode) {
    display.BrushColor = clBlack;
    display.FillRect(0, 0, width, height);
  }
}

void ClearFFTArea(Bitmap& display, bool grid) {
  display.BrushColor = clBlack;
  display.PenColor = clBtnShadow;
  display.FillRect(0, 0, display.Width(), Geometry::GraphRows);
  if (!grid) return;
  for (int i = 1; i <= 47; ++i)
    VerticalLine(display, Rounded(i * 21.335));
  for (int i = 1; i <= 20; ++i)
    HorizontalLine(display, static_cast<int>(i * 23.35));
}

int FFTBarHeight(double value) {
  const double h = std::nearbyint(value / 90.5);
  // Negative values (a negative gain) and NaN draw nothing.
  if (!(h > 0.0)) return 0;
  return static_cast<int>(std::min(h, static_cast<double>(GraphFloor)));
}

// Each bar is the line from the floor up to its height, without its end
// pixel, filled as a one-pixel-wide rectangle: the same pixels, without a
// line's stepping for every column.
void DrawFFTBars(Bitmap& display, std::span<const double> values, TColor color) {
  const TColor brush = std::exchange(display.BrushColor, color);
  const std::size_t columns = std::min(values.size(), static_cast<std::size_t>(display.Width()));
  for (std::size_t k = 0; k < columns; ++k) {
    const int x = static_cast<int>(k);
    display.FillRect(x, GraphFloor + 1 - FFTBarHeight(values[k]), x + 1, GraphFloor + 1);
  }
  display.BrushColor = brush;
}
