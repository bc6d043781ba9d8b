// SPDX-License-Identifier: GPL-3.0-or-later
// The card report as an aligned table for the terminal.
#include <cstdio>

#include "measure/CardResults.h"

namespace measure {

namespace {

std::string Row(const char* label, const char* unit, const std::string& left,
                const std::string& right) {
  char text[256];
  std::snprintf(text, sizeof text, "  %-36s %-6s %14s %14s\n", label, unit, left.c_str(),
                right.c_str());
  return text;
}

} // namespace

std::string FigureText(const Figure& f, std::optional<double> value) {
  if (!value) return "none";
  char text[64];
  if (f.Unit == "%")
    std::snprintf(text, sizeof text, "%.3g", *value);
  else
    std::snprintf(text, sizeof text, "%.*f", f.Decimals, *value);
  return text;
}

std::string CardTable(const CardReport& report) {
  std::string out;
  for (const Condition& c : report.Conditions)
    out += c.Label + ": " + c.Value + "\n";
  for (const Section& s : report.Sections) {
    out += "\n" + s.Title + (s.Ran ? "" : " (did not run)") + "\n";
    if (!s.Figures.empty()) out += Row("", "", "left", "right");
    for (const Figure& f : s.Figures)
      out += f.Pair ? Row(f.Label.c_str(), f.Unit.c_str(), FigureText(f, f.Left), "(both)")
                    : Row(f.Label.c_str(), f.Unit.c_str(), FigureText(f, f.Left),
                          FigureText(f, f.Right));
    for (const Curve& c : s.Curves)
      out += "  curve: " + c.Title + " (" + std::to_string(c.Lines.size()) + " lines)\n";
    if (!s.Note.empty()) out += "  " + s.Note + "\n";
  }
  return out;
}

} // namespace measure
