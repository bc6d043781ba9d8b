// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectral amplitude trace and the FFT bar graph: plain spectra and
// settings in, pixels of DisplayBitmap out. Both graphs use rows 0..492 above
// a white baseline and a strip of frequency labels.

#include <cstdint>
#include <optional>
#include <span>

#include <QPoint>
#include <QRect>

#include "platform/Bitmap.h"
#include "views/TracePoints.h"

// Where a trace starts, at window creation and after "RESET".
inline constexpr QPoint AmpTraceStart{0, 492};

// The last drawn point and the newest point of each channel's amplitude trace.
struct AmpTrace {
  QPoint AmpPrevR = AmpTraceStart, AmpCurR = AmpTraceStart;
  QPoint AmpPrevL = AmpTraceStart, AmpCurL = AmpTraceStart;
  bool AmpReady = false; // the background was drawn since creation or "RESET"
  TracePoints Points;    // what the trace shows, for "Save Response…"
};

// Pixels per dB of the three amplitude ranges: 10, 30 or 60 dB end at row 477.
inline constexpr double AmpPixelsPerDb10 = 46.2, AmpPixelsPerDb30 = 15.4, AmpPixelsPerDb60 = 7.7;
// The level lines and the ruler's 30 and 60 dB labels are this many rows apart.
inline constexpr double AmpLevelSpacing = 15.39;
// The row of 0 dB below full scale.
inline constexpr int AmpTopRow = 15;

// The pixels per dB of the ticked range button; none when no button is ticked.
std::optional<double> AmpPixelsPerDb(bool dB10, bool dB30, bool dB60);

// A block peak (0..32767) as a level in dB relative to full scale (0 dB at
// the largest peak, about -90.3 dB at silence).
double AmpTraceLevel(int32_t peak);

// The trace's row for a block peak (0..32767): 0 dB at AmpTopRow, growing by
// pixelsPerDb per dB below full scale.
int AmpTraceRow(int32_t peak, double pixelsPerDb);

// How the trace joins its points.
struct TraceStyle {
  bool Line = false, Dot = false;
  TColor Color = clFuchsia;
};

// Moves the newest point of a trace to column x and, with a range, to the
// peak's row; a point above the baseline is joined to the previous point
// (with Line, unless it lies 25 columns or more away) or set (with Dot), then
// remembered as the previous point. Points at or below the baseline are
// neither drawn nor remembered. Gives the pixels it may have drawn on, in
// display coordinates (empty when it drew nothing).
QRect StepAmpTrace(Bitmap& display, QPoint& prev, QPoint& cur, int x, int32_t peak,
                   std::optional<double> pixelsPerDb, const TraceStyle& style);

// The background of both graphs: black graph area, white baseline, labels in
// the button-face strip below; the amplitude view (spectralAmp) adds the level
// grid and the vertical lines, and "Low Frq" (lowFrq, amplitude view only)
// labels them five times finer. With neither graph the whole bitmap turns
// black for the spectrogram.
void DrawAmpBackground(Bitmap& display, bool spectralAmp, bool lowFrq, bool fftMode);

// Blacks out the FFT graph's area and, with grid, draws its grid (every
// 500 Hz across, 20 levels down); the label strip stays.
void ClearFFTArea(Bitmap& display, bool grid);

// One bar per bin, standing on row 492: value / 90.5 pixels high, rounded
// half to even, at most the graph's height.
void DrawFFTBars(Bitmap& display, std::span<const double> values, TColor color);

// The height of the bar for a spectrum value, 0..492.
int FFTBarHeight(double value);
