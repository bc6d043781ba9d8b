// SPDX-License-Identifier: GPL-3.0-or-later
// The figures as text: every field of the table in the JSON under its name,
// null and the table's words where a figure does not exist.
#include "measure/Report.h"

#include <string>

#include <gtest/gtest.h>

namespace {

measure::Figures Sample() {
  measure::Figures f;
  f.Left.Valid = true;
  f.Left.Found = measure::Finding::Tone;
  f.Left.FrequencyHz = 997.25;
  f.Left.RmsDbfs = -9.5;
  f.Left.PeakDbfs = -6.5;
  f.Left.ThdBoundDb = -104.3; // below the noise
  f.Left.ThdnDb = -39.9;
  f.Left.ThdnPercent = 1.01;
  f.Left.SnrDb = 87.3;
  f.Left.NoiseFloorDbfs = -96.3;
  f.Left.Harmonics[0] = {1994.5, measure::None, -110.25};
  f.Right.Found = measure::Finding::Silence;
  return f;
}

TEST(Report, JsonNamesEveryFieldAndNullsWhatIsMissing) {
  const std::string json = measure::ReportJson(Sample(), {1.0, 1000, -6.02, "L"});
  for (const auto& field : measure::ChannelFields())
    EXPECT_NE(json.find(std::string("\"") + field.Key + "\": "), std::string::npos) << field.Key;
  for (const auto& field : measure::PairFields())
    EXPECT_NE(json.find(std::string("\"") + field.Key + "\": "), std::string::npos) << field.Key;
  for (const char* part :
       {"\"frequency_hz\": 997.2500", "\"thd_percent\": null", "\"thd_below_noise_db\": -104.300",
        "\"tone\": {\"frequency_hz\": 1000.000, \"level_dbfs\": -6.020", "\"band_hz\": [10.00, ",
        "\"right\": {\"valid\": false, \"found\": \"silence\", \"frequency_hz\": null, "
        "\"rms_dbfs\": null",
        "{\"order\": 2, \"frequency_hz\": 1994.5000, \"level_db\": null, \"below_noise_db\": "
        "-110.250}",
        "\"between\": {\"valid\": false, \"found\": \"no tone\", \"level_difference_db\": null",
        "-3.01 dBFS"})
    EXPECT_NE(json.find(part), std::string::npos) << part << " in " << json;
  EXPECT_EQ(json.back(), '\n');
}

TEST(Report, TableSaysWhyAFigureIsMissing) {
  const std::string table = measure::ReportTable(Sample(), {1.0, 0, 0, ""});
  for (const char* row : {"frequency              Hz             997.25      silence",
                          "RMS level              dBFS            -9.50      silence",
                          "THD                    dB           < -104.3      silence",
                          "SFDR                   dB               none      silence",
                          "delay of L behind R    samples       no tone", "silence: every sample",
                          "< : below the noise", "none: no tone besides", "no tone: nothing stands",
                          "from 10.00 Hz to 23990.00 Hz"})
    EXPECT_NE(table.find(row), std::string::npos) << row << " in\n" << table;
  EXPECT_EQ(table.find("; tone"), std::string::npos) << "no tone was played";
  EXPECT_EQ(table.find("outside band"), std::string::npos) << "a note for a word not shown";
}

} // namespace
