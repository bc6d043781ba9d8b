// SPDX-License-Identifier: GPL-3.0-or-later
// The card report as one self-contained XHTML page: conditions, the summary
// table and every curve as inline SVG. No scripts and nothing fetched, so it
// opens in any browser, offline, and prints.

#include "measure/CardPlot.h"
#include "measure/CardResults.h"

namespace measure {

namespace {

constexpr const char* Style =
    "body{font-family:sans-serif;margin:2em;color:#111}"
    "table{border-collapse:collapse;margin-bottom:1.5em}"
    "th,td{border:1px solid #bbb;padding:0.2em 0.6em;text-align:left;vertical-align:top}"
    "td.v{text-align:right;font-variant-numeric:tabular-nums}"
    "th.s{background:#eee}td.c{color:#555;font-size:90%}"
    "figure{margin:0 0 1.5em 0;break-inside:avoid}";

std::string Cell(const Figure& f, std::optional<double> value, int span) {
  return "<td class=\"v\"" + (span > 1 ? std::string(" colspan=\"2\"") : "") + ">" +
         FigureText(f, value) + "</td>";
}

std::string Rows(const Section& s) {
  std::string out = "<tr><th class=\"s\" colspan=\"5\">" + XmlEscaped(s.Title) +
                    (s.Ran ? "" : " (did not run)") + "</th></tr>\n";
  for (const Figure& f : s.Figures) {
    out += "<tr><td>" + XmlEscaped(f.Label) + "</td><td>" + XmlEscaped(f.Unit) + "</td>";
    out += f.Pair ? Cell(f, f.Left, 2) : Cell(f, f.Left, 1) + Cell(f, f.Right, 1);
    out += "<td class=\"c\">" + XmlEscaped(f.Conditions) + "</td></tr>\n";
  }
  if (!s.Note.empty())
    out += "<tr><td colspan=\"5\" class=\"c\">" + XmlEscaped(s.Note) + "</td></tr>\n";
  return out;
}

} // namespace

std::string CardHtml(const CardReport& report) {
  std::string out = "<!DOCTYPE html>\n<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"en\">\n"
                    "<head><meta charset=\"utf-8\"/><title>Card report</title><style>";
  out += Style;
  out += "</style></head>\n<body>\n<h1>Card report</h1>\n<table>\n";
  for (const Condition& c : report.Conditions)
    out += "<tr><th>" + XmlEscaped(c.Label) + "</th><td>" + XmlEscaped(c.Value) + "</td></tr>\n";
  out += "</table>\n<h2>Summary</h2>\n<table>\n<tr><th>figure</th><th>unit</th><th>left</th>"
         "<th>right</th><th>conditions</th></tr>\n";
  for (const Section& s : report.Sections)
    out += Rows(s);
  out += "</table>\n";
  for (const Section& s : report.Sections)
    for (const Curve& c : s.Curves)
      out += "<figure>" + SvgPlot(c) + "<figcaption>" + XmlEscaped(c.Title) +
             (c.Conditions.empty() ? "" : ": " + XmlEscaped(c.Conditions)) +
             "</figcaption></figure>\n";
  return out + "</body>\n</html>\n";
}

} // namespace measure
