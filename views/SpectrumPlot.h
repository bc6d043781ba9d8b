// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Spectrum window's plot: frequency axis logarithmic or linear, level
// axis in decibels of the chosen unit, grid, traces, legend, the peak marker
// and the pointer's line. Plain inputs in, painted with a QPainter into any
// size; the axes' arithmetic is separate and free of painting.

#include <optional>
#include <span>
#include <vector>

#include <QColor>
#include <QRect>
#include <QRegion>
#include <QString>

class QPainter;

struct PlotAxes {
  bool LogFrequency = true;
  double MinHz = 10, MaxHz = 24000;
  double TopDb = 0;     // the level at the plot's top, in decibels of the unit
  double RangeDb = 120; // from the top to the bottom
};

// Where a frequency and a level lie in the plot's area, and back.
double FrequencyX(const PlotAxes& axes, const QRect& area, double hz);
double XFrequency(const PlotAxes& axes, const QRect& area, double x);
double LevelY(const PlotAxes& axes, const QRect& area, double db);

// The frequencies the axis labels: for a logarithmic axis 1, 2 and 5 times
// each decade, for a linear one steps of 1, 2 or 5 times a power of ten so
// that at most `most` fit.
std::vector<double> FrequencyLabels(const PlotAxes& axes, int most);
// "20", "500", "1k", "2.5k", "20k".
QString FrequencyText(double hz);
// Steps of the level grid: 1, 2, 5, 10, 20 or 50 dB, at most `most` in the range.
double LevelStep(double rangeDb, int most);

struct PlotTrace {
  QString Name;
  QColor Color;
  // Powers relative to full scale; at k * BinHz when Frequencies is empty,
  // else at Frequencies[k] (rising).
  std::span<const double> Power;
  double BinHz = 0;
  std::span<const double> Frequencies;
  // The points PlotPoints gives, when worked out already; else worked out
  // when drawn.
  std::vector<QPointF> Points;
};

struct PlotInput {
  PlotAxes Axes;
  // decibels of the unit = dBFS + UnitOffsetDb; Volts labels the levels in
  // volts (RMS) rather than decibels.
  double UnitOffsetDb = 0;
  bool Volts = false;
  QString Unit = QStringLiteral("dBFS");
  bool Grid = true;
  std::vector<PlotTrace> Traces;
  // The peak marker's frequency and power, and the pointer's frequency.
  std::optional<std::pair<double, double>> Peak;
  std::optional<double> Pointer;
};

// The area inside the axes' labels of a plot of this size.
QRect PlotArea(const QSize& size);
// Paints the whole of size: background, grid, labels, traces, legend, marks.
void DrawSpectrumPlot(QPainter& painter, const QSize& size, const PlotInput& input);

// The trace's level (decibels of the unit) at a frequency, between its
// points; NaN outside them or when empty.
double TraceLevelAt(const PlotTrace& trace, double hz, double unitOffsetDb);
// The frequency at the right edge of each pixel column of the area, the
// last one MaxHz; the same for every trace of a picture.
std::vector<double> ColumnEdges(const PlotAxes& axes, const QRect& area);
// The trace as drawn: one point per pixel column that holds a bin (the
// largest power among them), points of the bins just outside the area to
// carry the line to its edges. edges: ColumnEdges of the axes and area.
std::vector<QPointF> PlotPoints(const PlotTrace& trace, const PlotAxes& axes, const QRect& area,
                                double unitOffsetDb, std::span<const double> edges);
// What a change from the traces drawn before to those drawn now touches in
// the area: per strip of columns the rows between the highest and lowest
// point of a line of either, so that only those are painted again.
QRegion TraceChange(std::span<const PlotTrace> before, std::span<const PlotTrace> now,
                    const QRect& area);
