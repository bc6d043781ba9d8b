// SPDX-License-Identifier: GPL-3.0-or-later
// The card report's writers: the terminal's table, every figure and curve in
// the JSON, null for a figure that does not exist, and the HTML's table and plots.
#include <string>

#include <gtest/gtest.h>

#include "measure/CardPlot.h"
#include "measure/CardResults.h"

namespace {

measure::CardReport Sample() {
  measure::Section s{"response", "Frequency \"response\"", true, "left: <none> back", {}, {}};
  s.Figures = {{"level_1khz_db", "level at 1 kHz", "dB", "sweep", 3, -0.01234, std::nullopt},
               {"balance_db", "balance", "dB", "997 Hz", 2, 0.5, std::nullopt, true}};
  s.Curves = {{"magnitude",
               "Frequency response",
               "frequency",
               "Hz",
               "level",
               "dB",
               true,
               {{"left", {20, 1000, 20000}, {-0.5, 0, -3}}},
               "sweep"}};
  return {{{"rate_hz", "rate", "48000 Hz"}}, {s}};
}

TEST(CardWriters, TableJsonAndHtml) {
  const std::string table = measure::CardTable(Sample());
  const std::string json = measure::CardJson(Sample());
  const std::string html = measure::CardHtml(Sample());
  const struct {
    const std::string& Text;
    const char* Part;
  } rows[] = {
      {table, "rate: 48000 Hz\n\nFrequency \"response\"\n"},
      {table, "  level at 1 kHz                       dB             -0.012           none\n"},
      {table, "  balance                              dB               0.50         (both)\n"},
      {table, "  curve: Frequency response (1 lines)\n  left: <none> back\n"},
      {json, "\"conditions\": {\"rate_hz\": \"48000 Hz\"}"},
      {json, "\"title\": \"Frequency \\\"response\\\"\""},
      {json, "\"left\": -0.01234, \"right\": null"},
      {json, "\"key\": \"balance_db\""},
      {json, "\"value\": 0.5}"},
      {json, "\"x\": {\"label\": \"frequency\", \"unit\": \"Hz\", \"logarithmic\": true}"},
      {json, "\"x\": [20, 1000, 20000], \"y\": [-0.5, 0, -3]"},
      {html, "<td class=\"v\">-0.012</td><td class=\"v\">none</td>"},
      {html, "<td class=\"v\" colspan=\"2\">0.50</td>"},
      {html, "Frequency &quot;response&quot;"},
      {html, "left: &lt;none&gt; back"},
      {html, ">frequency (Hz)</text>"},
      {html, ">level (dB)</text>"},
      {html, ">1k</text>"},
      {html, ">20k</text>"},
      {html, "<polyline fill=\"none\" stroke-width=\"1.5\" stroke=\"#1f5fbf\" points=\"72.00,"},
  };
  for (const auto& row : rows)
    EXPECT_NE(row.Text.find(row.Part), std::string::npos) << row.Part << " in\n" << row.Text;
  EXPECT_EQ(html.find("<script"), std::string::npos);
  EXPECT_EQ(html.find("http:"), html.find("http://www.w3.org/1999/xhtml")) << "nothing fetched";
}

TEST(CardWriters, PlotScales) {
  // A log axis from 20 Hz to 20 kHz: 20 Hz at the left edge, 20 kHz at the
  // right, 632 Hz (their geometric mean) halfway; a flat line keeps a 1 dB span.
  measure::Curve flat{"m",     "flat", "frequency", "Hz",
                      "level", "dB",   true,        {{"left", {20, 632.456, 20000}, {0, 0, 0}}},
                      ""};
  const std::string svg = measure::SvgPlot(flat);
  EXPECT_NE(svg.find("points=\"72.00,169.00 386.00,169.00 700.00,169.00 \""), std::string::npos)
      << svg;
  for (const char* tick : {">-0.4</text>", ">0.4</text>", ">50</text>", ">10k</text>"})
    EXPECT_NE(svg.find(tick), std::string::npos) << tick << " in " << svg;
}

} // namespace
