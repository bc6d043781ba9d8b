// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/CardPlot.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

namespace measure {

namespace {

// The plot's size and where its axes lie, in SVG units.
constexpr double Width = 720, Height = 360;
constexpr double Left = 72, Right = 700, Top = 28, Bottom = 310;
// Values at or below this are a floor standing for nothing, not data.
constexpr double FloorValue = -290;
// The vertical axis spans at least this much of its unit, so that a flat line
// is drawn flat rather than magnified into noise.
constexpr double LeastSpan = 1.0;
constexpr const char* Colours[] = {"#1f5fbf", "#c0392b"};

std::string Num(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A tick label: 20, 500, 1k, 2.5k, 20k for frequencies, plain numbers otherwise.
std::string TickLabel(double value, bool hertz) {
  char text[32];
  if (hertz && std::abs(value) >= 1000)
    std::snprintf(text, sizeof text, "%gk", value / 1000);
  else
    std::snprintf(text, sizeof text, "%g", std::abs(value) < 1e-9 ? 0.0 : value);
  return text;
}

struct Axis {
  double From = 0, To = 1;
  bool Log = false;
  double Scale(double v, double a, double b) const {
    const double t = Log ? std::log(v / From) / std::log(To / From) : (v - From) / (To - From);
    return a + t * (b - a);
  }
};

// Ticks of a linear axis: steps of 1, 2 or 5 times a power of ten, five to ten of them.
std::vector<double> LinearTicks(Axis& axis) {
  const double raw = (axis.To - axis.From) / 6;
  const double power = std::pow(10.0, std::floor(std::log10(raw)));
  double step = power;
  for (const double m : {1.0, 2.0, 5.0, 10.0})
    if (m * power >= raw) {
      step = m * power;
      break;
    }
  axis.From = std::floor(axis.From / step) * step;
  axis.To = std::ceil(axis.To / step) * step;
  std::vector<double> ticks;
  for (double v = axis.From; v <= axis.To + step / 2; v += step)
    ticks.push_back(v);
  return ticks;
}

// A logarithmic axis reaches out to the 1-2-5 values just beyond its ends
// when they lie within 10 %, so that a curve from 20.6 Hz starts at a tick.
void Round(Axis& axis) {
  for (double decade = std::pow(10.0, std::floor(std::log10(axis.From)) - 1);
       decade <= axis.To * 10; decade *= 10)
    for (const double m : {1.0, 2.0, 5.0}) {
      const double tick = m * decade;
      if (tick < axis.From && tick > axis.From / 1.1) axis.From = tick;
      if (tick > axis.To && tick < axis.To * 1.1) axis.To = tick;
    }
}

// Ticks of a logarithmic axis: 1, 2 and 5 times each power of ten within it.
std::vector<double> LogTicks(const Axis& axis) {
  std::vector<double> ticks;
  for (double decade = std::pow(10.0, std::floor(std::log10(axis.From))); decade <= axis.To;
       decade *= 10)
    for (const double m : {1.0, 2.0, 5.0})
      if (m * decade >= axis.From * 0.999 && m * decade <= axis.To * 1.001)
        ticks.push_back(m * decade);
  return ticks;
}

bool Drawn(double x, double y, bool logX) {
  return std::isfinite(x) && std::isfinite(y) && y > FloorValue && (!logX || x > 0);
}

std::string AxisTitle(const std::string& label, const std::string& unit) {
  return XmlEscaped(unit.empty() ? label : label + " (" + unit + ")");
}

} // namespace

std::string XmlEscaped(const std::string& text) {
  std::string out;
  for (const char ch : text) {
    switch (ch) {
    case '&':
      out += "&amp;";
      break;
    case '<':
      out += "&lt;";
      break;
    case '>':
      out += "&gt;";
      break;
    case '"':
      out += "&quot;";
      break;
    case '\'':
      out += "&#39;";
      break;
    default:
      out += ch;
    }
  }
  return out;
}

std::string SvgPlot(const Curve& curve) {
  Axis x{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(), curve.LogX};
  Axis y{std::numeric_limits<double>::max(), std::numeric_limits<double>::lowest(), false};
  for (const Series& line : curve.Lines)
    for (std::size_t i = 0; i < std::min(line.X.size(), line.Y.size()); ++i)
      if (Drawn(line.X[i], line.Y[i], curve.LogX)) {
        x.From = std::min(x.From, line.X[i]), x.To = std::max(x.To, line.X[i]);
        y.From = std::min(y.From, line.Y[i]), y.To = std::max(y.To, line.Y[i]);
      }
  if (x.From > x.To) x = {1, 10, curve.LogX}, y = {0, 1, false}; // nothing to draw
  if (x.To <= x.From) x.To = x.From * (curve.LogX ? 2 : 1) + (curve.LogX ? 0 : 1);
  if (y.To - y.From < LeastSpan) {
    const double middle = (y.To + y.From) / 2;
    y.From = middle - LeastSpan / 2, y.To = middle + LeastSpan / 2;
  }
  const std::vector<double> yTicks = LinearTicks(y);
  if (curve.LogX) Round(x);
  const std::vector<double> xTicks = curve.LogX ? LogTicks(x) : LinearTicks(x);
  const bool hertz = curve.XUnit == "Hz";

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(Width) +
                    "\" height=\"" + Num(Height) + "\" viewBox=\"0 0 " + Num(Width) + " " +
                    Num(Height) + "\" role=\"img\" font-family=\"sans-serif\" font-size=\"11\">";
  svg += "<title>" + XmlEscaped(curve.Title) + "</title>";
  svg += "<rect x=\"" + Num(Left) + "\" y=\"" + Num(Top) + "\" width=\"" + Num(Right - Left) +
         "\" height=\"" + Num(Bottom - Top) + "\" fill=\"none\" stroke=\"#000\"/>";
  for (const double t : xTicks) {
    const std::string px = Num(x.Scale(t, Left, Right));
    svg += "<line x1=\"" + px + "\" y1=\"" + Num(Top) + "\" x2=\"" + px + "\" y2=\"" + Num(Bottom) +
           "\" stroke=\"#ccc\"/>";
    svg += "<text x=\"" + px + "\" y=\"" + Num(Bottom + 14) + "\" text-anchor=\"middle\">" +
           TickLabel(t, hertz) + "</text>";
  }
  for (const double t : yTicks) {
    const std::string py = Num(y.Scale(t, Bottom, Top));
    svg += "<line x1=\"" + Num(Left) + "\" y1=\"" + py + "\" x2=\"" + Num(Right) + "\" y2=\"" + py +
           "\" stroke=\"#ccc\"/>";
    svg += "<text x=\"" + Num(Left - 6) + "\" y=\"" + Num(y.Scale(t, Bottom, Top) + 4) +
           "\" text-anchor=\"end\">" + TickLabel(t, false) + "</text>";
  }
  svg += "<text x=\"" + Num((Left + Right) / 2) + "\" y=\"" + Num(Height - 12) +
         "\" text-anchor=\"middle\">" + AxisTitle(curve.XLabel, curve.XUnit) + "</text>";
  svg += "<text transform=\"translate(16 " + Num((Top + Bottom) / 2) +
         ") rotate(-90)\" text-anchor=\"middle\">" + AxisTitle(curve.YLabel, curve.YUnit) +
         "</text>";
  for (std::size_t l = 0; l < curve.Lines.size(); ++l) {
    const Series& line = curve.Lines[l];
    const char* colour = Colours[l % std::size(Colours)];
    std::string points;
    for (std::size_t i = 0; i < std::min(line.X.size(), line.Y.size()); ++i)
      if (Drawn(line.X[i], line.Y[i], curve.LogX))
        points +=
            Num(x.Scale(line.X[i], Left, Right)) + "," + Num(y.Scale(line.Y[i], Bottom, Top)) + " ";
    svg += "<polyline fill=\"none\" stroke-width=\"1.5\" stroke=\"" + std::string(colour) +
           "\" points=\"" + points + "\"/>";
    const std::string ly = Num(Top - 10);
    const std::string lx = Num(Right - 120 + 64 * double(l));
    svg += "<text x=\"" + lx + "\" y=\"" + ly + "\" fill=\"" + colour + "\">" +
           XmlEscaped(line.Name) + "</text>";
  }
  return svg + "</svg>";
}

} // namespace measure
