// SPDX-License-Identifier: GPL-3.0-or-later
// The card report as one JSON object.
#include <cmath>
#include <cstdio>

#include "measure/CardResults.h"
#include "measure/JsonText.h"

namespace measure {

namespace {

// Nine significant digits: more than any figure is good for; null for none.
std::string Number(std::optional<double> value) {
  if (!value || !std::isfinite(*value)) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.9g", *value);
  return text;
}

std::string Array(const std::vector<double>& values) {
  std::string out = "[";
  for (std::size_t i = 0; i < values.size(); ++i)
    out += (i ? ", " : "") + Number(values[i]);
  return out + "]";
}

std::string FigureJson(const Figure& f) {
  std::string out = "{\"key\": " + JsonString(f.Key) + ", \"label\": " + JsonString(f.Label) +
                    ", \"unit\": " + JsonString(f.Unit) +
                    ", \"conditions\": " + JsonString(f.Conditions);
  out += f.Pair ? ", \"value\": " + Number(f.Left)
                : ", \"left\": " + Number(f.Left) + ", \"right\": " + Number(f.Right);
  return out + "}";
}

std::string CurveJson(const Curve& c) {
  std::string out = "{\"key\": " + JsonString(c.Key) + ", \"title\": " + JsonString(c.Title) +
                    ", \"conditions\": " + JsonString(c.Conditions) +
                    ", \"x\": {\"label\": " + JsonString(c.XLabel) +
                    ", \"unit\": " + JsonString(c.XUnit) +
                    ", \"logarithmic\": " + (c.LogX ? "true" : "false") +
                    "}, \"y\": {\"label\": " + JsonString(c.YLabel) +
                    ", \"unit\": " + JsonString(c.YUnit) + "}, \"lines\": [";
  for (std::size_t i = 0; i < c.Lines.size(); ++i)
    out += std::string(i ? ", " : "") + "{\"name\": " + JsonString(c.Lines[i].Name) +
           ", \"x\": " + Array(c.Lines[i].X) + ", \"y\": " + Array(c.Lines[i].Y) + "}";
  return out + "]}";
}

template <typename T, typename Write>
std::string List(const std::vector<T>& items, Write write, const char* indent) {
  std::string out = "[";
  for (std::size_t i = 0; i < items.size(); ++i)
    out += std::string(i ? "," : "") + "\n" + indent + write(items[i]);
  return out + "]";
}

} // namespace

const Figure* FindFigure(const Section& section, const std::string& key) {
  for (const Figure& f : section.Figures)
    if (f.Key == key) return &f;
  return nullptr;
}

const Curve* FindCurve(const Section& section, const std::string& key) {
  for (const Curve& c : section.Curves)
    if (c.Key == key) return &c;
  return nullptr;
}

std::string CardJson(const CardReport& report) {
  std::string out = "{\"conditions\": {";
  for (std::size_t i = 0; i < report.Conditions.size(); ++i)
    out += std::string(i ? ", " : "") + JsonString(report.Conditions[i].Key) + ": " +
           JsonString(report.Conditions[i].Value);
  out += "},\n\"tests\": ";
  out += List(
      report.Sections,
      [](const Section& s) {
        return "{\"key\": " + JsonString(s.Key) + ", \"title\": " + JsonString(s.Title) +
               ", \"ran\": " + (s.Ran ? "true" : "false") + ", \"note\": " + JsonString(s.Note) +
               ",\n  \"figures\": " + List(s.Figures, FigureJson, "    ") +
               ",\n  \"curves\": " + List(s.Curves, CurveJson, "    ") + "}";
      },
      "  ");
  return out + "}\n";
}

} // namespace measure
