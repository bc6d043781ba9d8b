// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SpectrumPlot.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
const QColor Background(0, 0, 0);
const QColor GridColor(56, 56, 56);
const QColor MajorGridColor(96, 96, 96);
const QColor TextColor(200, 200, 200);

double PowerDb(double power, double offset) {
  return power > 0 ? 10 * std::log10(power) + offset : -std::numeric_limits<double>::infinity();
}

QString LevelText(double db, bool volts) {
  if (!volts) return QString::number(db, 'f', 0);
  return QString::number(std::pow(10.0, db / 20), 'g', 3);
}

} // namespace

double FrequencyX(const PlotAxes& axes, const QRect& area, double hz) {
  const double t = axes.LogFrequency ? std::log(std::max(hz, 1e-9) / axes.MinHz) /
                                           std::log(axes.MaxHz / axes.MinHz)
                                     : (hz - axes.MinHz) / (axes.MaxHz - axes.MinHz);
  return area.left() + t * area.width();
}

double XFrequency(const PlotAxes& axes, const QRect& area, double x) {
  const double t = (x - area.left()) / area.width();
  return axes.LogFrequency ? axes.MinHz * std::pow(axes.MaxHz / axes.MinHz, t)
                           : axes.MinHz + t * (axes.MaxHz - axes.MinHz);
}

double LevelY(const PlotAxes& axes, const QRect& area, double db) {
  return area.top() + (axes.TopDb - db) / axes.RangeDb * area.height();
}

std::vector<double> FrequencyLabels(const PlotAxes& axes, int most) {
  std::vector<double> labels;
  if (axes.LogFrequency) {
    for (double decade = std::pow(10.0, std::floor(std::log10(axes.MinHz))); decade <= axes.MaxHz;
         decade *= 10)
      for (const double m : {1.0, 2.0, 5.0})
        if (m * decade >= axes.MinHz - 1e-9 && m * decade <= axes.MaxHz + 1e-9)
          labels.push_back(m * decade);
    // Too many for the width: the decades alone.
    if (int(labels.size()) > most)
      std::erase_if(labels, [](double f) {
        const double l = std::log10(f);
        return std::fabs(l - std::round(l)) > 1e-9;
      });
    return labels;
  }
  const double span = axes.MaxHz - axes.MinHz;
  double step = std::pow(10.0, std::floor(std::log10(span / std::max(most, 1))));
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (span / (m * step) <= most) {
      step *= m;
      break;
    }
  for (double f = std::ceil(axes.MinHz / step) * step; f <= axes.MaxHz + 1e-9; f += step)
    labels.push_back(f);
  return labels;
}

QString FrequencyText(double hz) {
  if (hz >= 1000) return QString::number(hz / 1000, 'g', 4) + QLatin1Char('k');
  return QString::number(hz, 'g', 4);
}

double LevelStep(double rangeDb, int most) {
  for (const double step : {1.0, 2.0, 5.0, 10.0, 20.0, 50.0})
    if (rangeDb / step <= most) return step;
  return 100;
}

QRect PlotArea(const QSize& size) {
  return QRect(QPoint(56, 22), QPoint(size.width() - 12, size.height() - 26));
}

std::vector<double> ColumnEdges(const PlotAxes& axes, const QRect& area) {
  std::vector<double> edges(std::size_t(std::max(area.width(), 0)));
  for (std::size_t i = 0; i < edges.size(); ++i)
    edges[i] = i + 1 == edges.size() ? std::nextafter(axes.MaxHz, INFINITY)
                                     : XFrequency(axes, area, area.left() + double(i) + 1);
  return edges;
}

std::vector<QPointF> PlotPoints(const PlotTrace& trace, const PlotAxes& axes, const QRect& area,
                                double unitOffsetDb, std::span<const double> edges) {
  std::vector<QPointF> points;
  const std::size_t count = trace.Power.size();
  const bool uniform = trace.Frequencies.empty();
  if (count == 0 || (uniform && trace.BinHz <= 0)) return points;
  const auto hzOf = [&](std::size_t k) {
    return uniform ? double(k) * trace.BinHz : trace.Frequencies[k];
  };
  const auto point = [&](double x, double power) {
    return QPointF(
        x,
        LevelY(axes, area, std::max(PowerDb(power, unitOffsetDb), axes.TopDb - 2 * axes.RangeDb)));
  };
  // The first bin at or after a frequency.
  const auto firstFrom = [&](double hz) {
    if (uniform) return std::min(count, std::size_t(std::max(0.0, std::ceil(hz / trace.BinHz))));
    return std::size_t(std::lower_bound(trace.Frequencies.begin(),
                                        trace.Frequencies.begin() + std::ptrdiff_t(count), hz) -
                       trace.Frequencies.begin());
  };
  std::size_t k = firstFrom(axes.MinHz);
  if (k > 0) points.push_back(point(FrequencyX(axes, area, hzOf(k - 1)), trace.Power[k - 1]));
  for (int column = area.left(); column <= area.right() && k < count; ++column) {
    const std::size_t end = firstFrom(edges[std::size_t(column - area.left())]);
    if (end <= k) continue;
    if (end == k + 1) {
      points.push_back(point(FrequencyX(axes, area, hzOf(k)), trace.Power[k]));
    } else {
      const double top = *std::max_element(trace.Power.begin() + std::ptrdiff_t(k),
                                           trace.Power.begin() + std::ptrdiff_t(end));
      points.push_back(point(column + 0.5, top));
    }
    k = end;
  }
  if (k < count) points.push_back(point(FrequencyX(axes, area, hzOf(k)), trace.Power[k]));
  return points;
}

double TraceLevelAt(const PlotTrace& trace, double hz, double unitOffsetDb) {
  const std::size_t count = trace.Power.size();
  if (count == 0) return Nan;
  double position = 0; // fractional index of hz
  if (trace.Frequencies.empty()) {
    if (trace.BinHz <= 0) return Nan;
    position = hz / trace.BinHz;
  } else {
    const auto upper = std::lower_bound(trace.Frequencies.begin(), trace.Frequencies.end(), hz);
    if (upper == trace.Frequencies.end() || (upper == trace.Frequencies.begin() && *upper != hz))
      return Nan;
    const auto j = std::size_t(upper - trace.Frequencies.begin());
    position = *upper == hz ? double(j)
                            : double(j - 1) + (hz - trace.Frequencies[j - 1]) /
                                                  (trace.Frequencies[j] - trace.Frequencies[j - 1]);
  }
  if (position < 0 || position > double(count - 1)) return Nan;
  const auto below = std::size_t(position);
  const std::size_t above = std::min(below + 1, count - 1);
  const double t = position - double(below);
  return PowerDb(trace.Power[below] * (1 - t) + trace.Power[above] * t, unitOffsetDb);
}

void DrawSpectrumPlot(QPainter& painter, const QSize& size, const PlotInput& input) {
  const PlotAxes& axes = input.Axes;
  const QRect area = PlotArea(size);
  painter.fillRect(QRect(QPoint(0, 0), size), Background);
  if (area.width() < 8 || area.height() < 8) return;
  const QFontMetrics metrics = painter.fontMetrics();
  painter.setRenderHint(QPainter::Antialiasing, false);

  // Frequency grid and labels.
  const std::vector<double> labels =
      FrequencyLabels(axes, std::max(2, area.width() / (metrics.horizontalAdvance("20.5k") + 12)));
  if (input.Grid && axes.LogFrequency) {
    painter.setPen(GridColor);
    for (double decade = std::pow(10.0, std::floor(std::log10(axes.MinHz))); decade <= axes.MaxHz;
         decade *= 10)
      for (int m = 1; m < 10; ++m) {
        const double x = FrequencyX(axes, area, m * decade);
        if (x >= area.left() && x <= area.right())
          painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
      }
  }
  for (const double hz : labels) {
    const double x = FrequencyX(axes, area, hz);
    if (input.Grid) {
      painter.setPen(MajorGridColor);
      painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    }
    painter.setPen(TextColor);
    const QString text = FrequencyText(hz);
    const int w = metrics.horizontalAdvance(text);
    painter.drawText(QPointF(std::clamp(x - w / 2.0, 0.0, double(size.width() - w)),
                             area.bottom() + 4 + metrics.ascent()),
                     text);
  }
  painter.drawText(QPointF(size.width() - metrics.horizontalAdvance("Hz") - 2, size.height() - 2),
                   QStringLiteral("Hz"));

  // Level grid and labels.
  const double step = LevelStep(axes.RangeDb, std::max(2, area.height() / (metrics.height() + 8)));
  for (double db = std::floor(axes.TopDb / step) * step; db >= axes.TopDb - axes.RangeDb - 1e-9;
       db -= step) {
    const double y = LevelY(axes, area, db);
    if (input.Grid) {
      painter.setPen(MajorGridColor);
      painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    }
    painter.setPen(TextColor);
    const QString text = LevelText(db, input.Volts);
    painter.drawText(QPointF(area.left() - 4 - metrics.horizontalAdvance(text),
                             std::clamp(y + metrics.ascent() / 2.0, double(metrics.ascent()),
                                        double(size.height()))),
                     text);
  }
  painter.setPen(TextColor);
  painter.drawText(QPointF(4, metrics.ascent() + 2), input.Unit);
  painter.setPen(MajorGridColor);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
  // Traces, clipped to the area.
  painter.save();
  painter.setClipRect(area);
  std::vector<double> edges;
  for (const PlotTrace& trace : input.Traces) {
    if (trace.Points.empty() && edges.empty()) edges = ColumnEdges(axes, area);
    const std::vector<QPointF> points =
        trace.Points.empty() ? PlotPoints(trace, axes, area, input.UnitOffsetDb, edges)
                             : trace.Points;
    painter.setPen(QPen(trace.Color, 1));
    painter.drawPolyline(points.data(), int(points.size()));
  }
  if (input.Pointer) {
    const double x = FrequencyX(axes, area, *input.Pointer);
    painter.setPen(QPen(TextColor, 1, Qt::DotLine));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
  }
  if (input.Peak) {
    const QPointF at(FrequencyX(axes, area, input.Peak->first),
                     LevelY(axes, area, PowerDb(input.Peak->second, input.UnitOffsetDb)));
    painter.setPen(QPen(Qt::white, 1));
    painter.setBrush(Qt::NoBrush);
    // A small diamond around the peak.
    const QPointF diamond[] = {at + QPointF(0, -5), at + QPointF(5, 0), at + QPointF(0, 5),
                               at + QPointF(-5, 0)};
    painter.drawPolygon(diamond, 4);
  }
  painter.restore();

  // Legend, top right inside the area.
  int width = 0;
  for (const PlotTrace& trace : input.Traces)
    width = std::max(width, metrics.horizontalAdvance(trace.Name));
  const int line = metrics.height();
  const QRect legend(area.right() - width - 36, area.top() + 4, width + 32,
                     line * int(input.Traces.size()) + 6);
  if (input.Traces.empty()) return;
  painter.fillRect(legend, QColor(0, 0, 0, 200));
  painter.setPen(MajorGridColor);
  painter.drawRect(legend.adjusted(0, 0, -1, -1));
  int y = legend.top() + 3;
  for (const PlotTrace& trace : input.Traces) {
    painter.fillRect(QRect(legend.left() + 6, y + line / 2 - 1, 16, 3), trace.Color);
    painter.setPen(TextColor);
    painter.drawText(QPointF(legend.left() + 26, y + metrics.ascent()), trace.Name);
    y += line;
  }
}

QRegion TraceChange(std::span<const PlotTrace> before, std::span<const PlotTrace> now,
                    const QRect& area) {
  // Strips of this many columns: few rectangles to put, little beyond the lines.
  constexpr int Strip = 64;
  const int strips = area.width() / Strip + 1;
  std::vector<double> top(std::size_t(strips), INFINITY), bottom(std::size_t(strips), -INFINITY);
  const auto cover = [&](QPointF a, QPointF b) {
    const int first =
        std::clamp(int(std::floor(std::min(a.x(), b.x()))) - area.left(), 0, area.width() - 1) /
        Strip;
    const int last =
        std::clamp(int(std::ceil(std::max(a.x(), b.x()))) - area.left(), 0, area.width() - 1) /
        Strip;
    for (int s = first; s <= last; ++s) {
      top[std::size_t(s)] = std::min({top[std::size_t(s)], a.y(), b.y()});
      bottom[std::size_t(s)] = std::max({bottom[std::size_t(s)], a.y(), b.y()});
    }
  };
  for (const auto traces : {before, now})
    for (const PlotTrace& trace : traces)
      for (std::size_t i = 0; i < trace.Points.size(); ++i)
        cover(trace.Points[i], trace.Points[std::min(i + 1, trace.Points.size() - 1)]);
  QRegion region;
  for (int s = 0; s < strips; ++s) {
    if (top[std::size_t(s)] > bottom[std::size_t(s)]) continue;
    const QRect rows(area.left() + s * Strip, int(std::floor(top[std::size_t(s)])) - 1, Strip,
                     int(std::ceil(bottom[std::size_t(s)]) - std::floor(top[std::size_t(s)])) + 3);
    region += rows & area;
  }
  return region;
}
