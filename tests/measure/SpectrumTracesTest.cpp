// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum window's traces: averaging lowers the spread of noise by the
// expected factor, the peak hold keeps a tone that has gone, calibrations
// and trace files read back as they were written.
#include "measure/Calibration.h"
#include "measure/LongSpectrum.h"
#include "measure/TraceAverage.h"
#include "measure/TraceCsv.h"

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using measure::AverageMode;
using measure::LevelUnit;

constexpr double Rate = 48000;
constexpr std::size_t Size = 4096;

// Spread of one trace across the bins of white noise, as its variance over
// its squared mean: 1 for single spectra, 1/N for means of N.
double RelativeVariance(std::span<const double> power) {
  const auto bins = power.subspan(50, Size / 2 - 100);
  double sum = 0, squares = 0;
  for (double p : bins)
    sum += p, squares += p * p;
  const double mean = sum / double(bins.size());
  return (squares / double(bins.size()) - mean * mean) / (mean * mean);
}

// 200 spectra of Gaussian noise, one every 4096 frames, through an average.
double AveragedVariance(const measure::AverageSettings& settings) {
  measure::LongSpectrum spectrum(Rate);
  spectrum.Configure({Size, measure::WindowKind::Hann, 1});
  measure::TraceAverage average;
  average.Configure(settings, double(spectrum.Hop()) / Rate);
  std::mt19937 random(5);
  std::normal_distribution<double> noise(0, 3000);
  std::vector<int16_t> block(Size);
  for (int n = 0; n < 200; ++n) {
    for (int16_t& s : block)
      s = int16_t(std::lround(noise(random)));
    spectrum.Add(block, block,
                 [&](std::span<const double> l, std::span<const double>) { average.Add(l); });
  }
  return RelativeVariance(average.Average());
}

TEST(TraceAverage, LowersTheSpreadOfNoiseByTheExpectedFactor) {
  const double interval = double(Size) / Rate, tau = 1.0;
  const double weight = 1 - std::exp(-interval / tau);
  struct Case {
    measure::AverageSettings Settings;
    double Factor;
  };
  const Case cases[] = {{{AverageMode::Off, 1, 1}, 1.0},
                        {{AverageMode::Linear, 1, 16}, 1.0 / 16},
                        {{AverageMode::Linear, 1, 64}, 1.0 / 64},
                        {{AverageMode::Exponential, tau, 1}, weight / (2 - weight)}};
  for (const Case& c : cases)
    EXPECT_NEAR(AveragedVariance(c.Settings) / c.Factor, 1.0, 0.15)
        << int(c.Settings.Mode) << " " << c.Factor;
}

// A tone for five spectra, then silence: the peak keeps it, the current and
// the minimum do not, the linear average of 4 has forgotten it; a reset
// empties every trace.
TEST(TraceAverage, PeakHoldKeepsAToneThatHasGone) {
  measure::ChannelTraces traces;
  traces.Average.Configure({AverageMode::Linear, 1, 4}, 0.1);
  std::vector<double> tone(64, 1e-12), silence(64, 1e-12);
  tone[10] = 0.25;
  for (int n = 0; n < 5; ++n)
    traces.Add(tone);
  for (int n = 0; n < 8; ++n)
    traces.Add(silence);
  EXPECT_EQ(traces.Peak.Held()[10], 0.25);
  EXPECT_EQ(traces.Current[10], 1e-12);
  EXPECT_EQ(traces.Min.Held()[10], 1e-12);
  EXPECT_EQ(traces.Average.Average()[10], 1e-12);
  traces.Reset();
  EXPECT_TRUE(traces.Peak.Held().empty() && traces.Average.Average().empty());
}

// "0 dBFS = +4.0 dBu" and a tone measured in, read forth and back in every
// unit; the per-device table through its text.
TEST(Calibration, RoundTrip) {
  const measure::Calibration byNumber =
      measure::WithFullScale(measure::Calibration(), LevelUnit::Dbu, 4.0);
  EXPECT_NEAR(byNumber.VoltsAtFullScale, 1.2277, 1e-4);
  EXPECT_NEAR(measure::FromDbfs(-10, LevelUnit::Dbu, byNumber), -6.0, 1e-9);
  EXPECT_NEAR(measure::FromDbfs(-10, LevelUnit::Dbv, byNumber), -8.2185, 1e-4);
  EXPECT_TRUE(std::isnan(measure::FromDbfs(-10, LevelUnit::DbSpl, byNumber)));
  // A tone read at -26 dBFS is 94 dB SPL, another at -6.02 dBFS is 1.000 V.
  measure::Calibration measured =
      measure::WithReferenceTone(measure::Calibration(), -26, LevelUnit::DbSpl, 94);
  measured = measure::WithReferenceTone(measured, -6.0206, LevelUnit::Volts, 1.0);
  EXPECT_NEAR(measure::FromDbfs(-26, LevelUnit::DbSpl, measured), 94, 1e-9);
  EXPECT_NEAR(measure::FromDbfs(-6.0206, LevelUnit::Volts, measured), 1.0, 1e-9);
  for (const LevelUnit unit : measure::LevelUnits)
    for (const double dbfs : {-120.0, -6.0, 0.0})
      EXPECT_NEAR(measure::ToDbfs(measure::FromDbfs(dbfs, unit, measured), unit, measured), dbfs,
                  1e-9)
          << measure::UnitName(unit);
  const measure::Calibrations table{{"", byNumber}, {"alsa_input.usb-1.analog-stereo", measured}};
  const measure::Calibrations back =
      measure::ParseCalibrations(measure::CalibrationsText(table) + ";bad;=1,2;x=,");
  ASSERT_EQ(back.size(), 3u);
  EXPECT_EQ(back.at("").VoltsAtFullScale, byNumber.VoltsAtFullScale);
  EXPECT_TRUE(std::isnan(back.at("").SplAtFullScale));
  EXPECT_EQ(back.at("alsa_input.usb-1.analog-stereo").SplAtFullScale, measured.SplAtFullScale);
  EXPECT_FALSE(back.at("x").Gives(LevelUnit::Dbv));
}

// A table with an empty cell and awkward numbers reads back bit for bit;
// broken files are refused with the line named; a reference is read between
// its points.
TEST(TraceCsv, RoundTrip) {
  measure::TraceTable table;
  table.Frequencies = {0, 0.732421875, 23999.267578125};
  table.Columns = {{"left_current_dBFS", {-120.5, NAN, 1e-7}},
                   {"left_peak_dBFS", {-0.1, -3.0103, 0}}};
  const std::string text = measure::TraceCsvText(table);
  EXPECT_EQ(text.substr(0, text.find('\n')), "frequency_hz,left_current_dBFS,left_peak_dBFS");
  const measure::TraceTable back = measure::ReadTraceCsv(text);
  ASSERT_TRUE(back.Problem.empty()) << back.Problem;
  EXPECT_EQ(back.Frequencies, table.Frequencies);
  ASSERT_EQ(back.Columns.size(), 2u);
  EXPECT_EQ(back.Columns[1].Name, "left_peak_dBFS");
  EXPECT_EQ(back.Columns[1].Values, table.Columns[1].Values);
  EXPECT_TRUE(std::isnan(back.Columns[0].Values[1]));
  EXPECT_EQ(back.Columns[0].Values[2], 1e-7);
  EXPECT_EQ(measure::ColumnUnit("left_peak_dBSPL"), "dBSPL");
  for (const char* broken :
       {"", "hz,a_dBFS\n1,2\n", "frequency_hz,a_dBFS\n1,2,3\n", "frequency_hz,a_dBFS\n1,loud\n"})
    EXPECT_FALSE(measure::ReadTraceCsv(broken).Problem.empty()) << broken;
  EXPECT_EQ(measure::ReadTraceCsv("frequency_hz,a_dBFS\n1,2\n1,x\n").Problem,
            "line 3: a level is no number");
  const std::vector<double> f{100, 200}, v{-10, -20};
  const std::vector<double> at = measure::TraceAt(f, v, std::vector<double>{50, 100, 150, 250});
  EXPECT_TRUE(std::isnan(at[0]) && std::isnan(at[3]));
  EXPECT_EQ(at[1], -10);
  EXPECT_EQ(at[2], -15);
}

} // namespace
