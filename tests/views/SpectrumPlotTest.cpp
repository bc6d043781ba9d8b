// SPDX-License-Identifier: GPL-3.0-or-later
// The Spectrum window's plot without a window: the axes' arithmetic and
// labels, a tone's trace at its frequency and level, the grid, and a long
// trace reduced to a point per pixel column that keeps its peak.
#include "views/SpectrumPlot.h"

#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

namespace {

TEST(SpectrumPlot, AxesAndLabels) {
  const PlotAxes log{true, 10, 24000, 0, 120};
  const QRect area(50, 10, 1000, 600);
  EXPECT_DOUBLE_EQ(FrequencyX(log, area, 10), 50);
  EXPECT_DOUBLE_EQ(FrequencyX(log, area, 24000), 1050);
  EXPECT_NEAR(XFrequency(log, area, FrequencyX(log, area, 1234.5)), 1234.5, 1e-9);
  EXPECT_DOUBLE_EQ(LevelY(log, area, -60), 310);
  EXPECT_EQ(FrequencyLabels(log, 30),
            (std::vector<double>{10, 20, 50, 100, 200, 500, 1000, 2000, 5000, 10000, 20000}));
  EXPECT_EQ(FrequencyLabels(log, 8), (std::vector<double>{10, 100, 1000, 10000}));
  const PlotAxes linear{false, 0, 24000, 0, 120};
  EXPECT_DOUBLE_EQ(FrequencyX(linear, area, 12000), 550);
  EXPECT_EQ(FrequencyLabels(linear, 6), (std::vector<double>{0, 5000, 10000, 15000, 20000}));
  EXPECT_EQ(FrequencyLabels(linear, 13).size(), 13u); // steps of 2 kHz
  EXPECT_EQ(FrequencyText(20), QStringLiteral("20"));
  EXPECT_EQ(FrequencyText(1000), QStringLiteral("1k"));
  EXPECT_EQ(FrequencyText(2500), QStringLiteral("2.5k"));
  EXPECT_EQ(LevelStep(120, 12), 10);
  EXPECT_EQ(LevelStep(120, 5), 50);
  EXPECT_EQ(LevelStep(20, 12), 2);
}

// 32769 bins of -100 dBFS with one at -20 dBFS: drawn at most once per pixel
// column, and the tone's column reaches its level.
TEST(SpectrumPlot, ToneTraceGridAndLegendPixels) {
  std::vector<double> power(32769, 1e-10);
  const double binHz = 48000 / 65536.0;
  power[1365] = 0.01;         // 999.76 Hz at -20 dBFS
  const QSize size(900, 527); // 4 pixels a decibel: the levels fall on whole rows
  PlotInput in;
  in.Traces.push_back({QStringLiteral("Left current"), QColor(0, 224, 224), power, binHz, {}, {}});
  const QRect area = PlotArea(size);
  const std::vector<QPointF> points =
      PlotPoints(in.Traces[0], in.Axes, area, 0, ColumnEdges(in.Axes, area));
  EXPECT_LE(points.size(), std::size_t(area.width() + 2));
  const auto peak = std::min_element(points.begin(), points.end(),
                                     [](QPointF a, QPointF b) { return a.y() < b.y(); });
  EXPECT_NEAR(peak->x(), FrequencyX(in.Axes, area, 1365 * binHz), 1.0);
  EXPECT_NEAR(peak->y(), LevelY(in.Axes, area, -20), 1e-9);

  QImage image(size, QImage::Format_RGB32);
  const auto draw = [&] {
    QPainter painter(&image);
    DrawSpectrumPlot(painter, size, in);
  };
  draw();
  const auto colourAt = [&](double x, double db) {
    return image.pixelColor(int(std::floor(x)), int(std::lround(LevelY(in.Axes, area, db))));
  };
  const double toneX = peak->x();
  EXPECT_EQ(colourAt(toneX, -20), QColor(0, 224, 224));
  EXPECT_EQ(colourAt(FrequencyX(in.Axes, area, 300), -100), QColor(0, 224, 224));
  // Above the floor between the grid lines: the background; on 100 Hz: the grid.
  EXPECT_EQ(colourAt(FrequencyX(in.Axes, area, 350), -55), QColor(0, 0, 0));
  EXPECT_EQ(colourAt(FrequencyX(in.Axes, area, 100), -45), QColor(96, 96, 96));
  // Without the grid the decade's line is gone.
  in.Grid = false;
  draw();
  EXPECT_EQ(colourAt(FrequencyX(in.Axes, area, 100), -45), QColor(0, 0, 0));
  // The legend's swatch in the trace's colour at the top right.
  const int line = QFontMetrics(QFont()).height();
  bool swatch = false;
  for (int x = area.right() - 200; x < area.right(); ++x)
    swatch = swatch || image.pixelColor(x, area.top() + 4 + 3 + line / 2) == QColor(0, 224, 224);
  EXPECT_TRUE(swatch);
}

// The level at a frequency, between the points of a reference.
TEST(SpectrumPlot, TraceLevelBetweenPoints) {
  const std::vector<double> f{100, 200}, p{1e-2, 1e-4};
  const PlotTrace reference{QStringLiteral("Reference 1"), Qt::white, p, 0, f, {}};
  EXPECT_NEAR(TraceLevelAt(reference, 100, 0), -20, 1e-9);
  EXPECT_NEAR(TraceLevelAt(reference, 150, 4), 10 * std::log10(0.00505) + 4, 1e-9);
  EXPECT_TRUE(std::isnan(TraceLevelAt(reference, 99, 0)));
  EXPECT_TRUE(std::isnan(TraceLevelAt(reference, 201, 0)));
}

// A line that moves only near 1 kHz: what is painted again holds its old and
// new rows there, and nothing far from them.
TEST(SpectrumPlot, ChangeCoversOnlyTheMovedLines) {
  const QRect area(50, 10, 1000, 600);
  PlotTrace before, now;
  for (int x = 50; x < 1050; x += 4) {
    before.Points.emplace_back(x, 300);
    now.Points.emplace_back(x, x >= 500 && x < 510 ? 100 : 300);
  }
  const QRegion change = TraceChange({&before, 1}, {&now, 1}, area);
  for (const QPoint p : {QPoint(504, 100), QPoint(504, 300), QPoint(504, 200), QPoint(900, 300)})
    EXPECT_TRUE(change.contains(p)) << p.x() << "," << p.y();
  for (const QPoint p : {QPoint(900, 200), QPoint(504, 50), QPoint(504, 400), QPoint(40, 300)})
    EXPECT_FALSE(change.contains(p)) << p.x() << "," << p.y();
}

} // namespace
