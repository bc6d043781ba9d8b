// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The card report's results: per test, figures for each channel with unit and
// the conditions they were measured under, and curves. A figure that does not
// exist (a -3 dB point outside the band, a test that could not run) holds no
// value, which the JSON writes as null and the HTML as "none".

#include <optional>
#include <string>
#include <vector>

namespace measure {

struct Figure {
  std::string Key;        // the JSON name
  std::string Label;      // the table's row label
  std::string Unit;       // "dB", "dBFS", "Hz", "ms", "%", ...
  std::string Conditions; // what it was measured with
  int Decimals = 2;
  std::optional<double> Left, Right;
  bool Pair = false; // one figure of both channels together (a balance), held in Left
};

struct Series {
  std::string Name; // "left", "right"
  std::vector<double> X, Y;
};

struct Curve {
  std::string Key, Title;
  std::string XLabel, XUnit, YLabel, YUnit;
  bool LogX = true;
  std::vector<Series> Lines;
  std::string Conditions;
};

struct Section {
  std::string Key, Title;
  bool Ran = true;  // false: the test could not run; Note says why
  std::string Note; // a finding beside the figures, or why there are none
  std::vector<Figure> Figures;
  std::vector<Curve> Curves;
};

// What the whole report was measured with, in the order it is shown:
// program version, date, devices, format, rate, path findings, level.
struct Condition {
  std::string Key, Label, Value;
};

struct CardReport {
  std::vector<Condition> Conditions;
  std::vector<Section> Sections;
};

// A figure's value as the table and the page show it: "none" when it does not
// exist, three significant digits in %, which span decades, else its decimals.
std::string FigureText(const Figure& figure, std::optional<double> value);

// The figure or curve with this key, or nullptr.
const Figure* FindFigure(const Section& section, const std::string& key);
const Curve* FindCurve(const Section& section, const std::string& key);

// Writers: an aligned table of every figure for the terminal (conditions,
// then per test its figures, "none" where one does not exist, and its note);
// one JSON object (every figure, curve and condition; null for a
// figure that does not exist), and one self-contained XHTML page (the summary
// table and the curves as inline SVG; no scripts, nothing fetched).
std::string CardTable(const CardReport& report);
std::string CardJson(const CardReport& report);
std::string CardHtml(const CardReport& report);

} // namespace measure
