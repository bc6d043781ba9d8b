// The figures as text: every field of the table in the JSON under its name,
// and the table's dashes where a channel has no tone.
#include "measure/Report.h"

#include <string>

#include <gtest/gtest.h>

namespace {

measure::Figures Sample() {
  measure::Figures f;
  f.Left = {true, 997.25, -9.5, -6.5, -40.0, 1.0, -39.9, 1.01, 87.3, -96.3};
  f.Right.RmsDbfs = -300; // silence: no tone, only its levels
  f.Right.PeakDbfs = -300;
  return f;
}

TEST(Report, JsonNamesEveryField) {
  const std::string json = measure::ReportJson(Sample(), {1.0, 1000, -6.02, "L"});
  for (const auto& field : measure::ChannelFields())
    EXPECT_NE(json.find(std::string("\"") + field.Key + "\": "), std::string::npos) << field.Key;
  for (const auto& field : measure::PairFields())
    EXPECT_NE(json.find(std::string("\"") + field.Key + "\": "), std::string::npos) << field.Key;
  for (const char* part : {"\"frequency_hz\": 997.2500", "\"thd_percent\": 1.000000",
                           "\"tone\": {\"frequency_hz\": 1000.000, \"level_dbfs\": -6.020",
                           "\"right\": {\"valid\": false", "-3.01 dBFS"})
    EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
  EXPECT_EQ(json.back(), '\n');
}

TEST(Report, TableShowsLevelsOfAChannelWithoutTone) {
  const std::string table = measure::ReportTable(Sample(), {1.0, 0, 0, ""});
  for (const char* row : {"frequency              Hz             997.25            -",
                          "RMS level              dBFS            -9.50      -300.00",
                          "THD                    %              1.0000            -",
                          "delay of L behind R    samples             -"})
    EXPECT_NE(table.find(row), std::string::npos) << row << " in\n" << table;
  EXPECT_EQ(table.find("; tone"), std::string::npos) << "no tone was played";
}

} // namespace
