// SPDX-License-Identifier: GPL-3.0-or-later
// The card report's signals and formats: levels as asked, dither of the
// format's size, bytes as the sound server takes them, the A-curve's table.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "measure/AWeighting.h"
#include "measure/CardFormat.h"
#include "measure/CardSignals.h"

namespace {

using measure::SampleFormat;

TEST(CardFormat, DitherAndBytes) {
  const struct {
    SampleFormat Format;
    double Value;                    // a value on the format's grid
    std::vector<std::uint8_t> Bytes; // as packed
  } rows[] = {
      {SampleFormat::S16, -0.5, {0x00, 0xc0}},
      {SampleFormat::S24, 0.5 + std::ldexp(1.0, -23), {0x01, 0x00, 0x40}},
      {SampleFormat::S32, -1.0, {0x00, 0x00, 0x00, 0x80}},
      {SampleFormat::Float32, 0.25, {0x00, 0x00, 0x80, 0x3e}},
  };
  for (const auto& row : rows) {
    const double step = measure::FormatStep(row.Format);
    // Silence dithered: values of -1, 0, +1 step holding q^2 / 4.
    const std::vector<double> silence(200000, 0.0);
    const auto dithered = measure::Dither(silence, row.Format);
    double power = 0;
    for (const double v : dithered) {
      power += v * v;
      EXPECT_EQ(v, std::nearbyint(v / step) * step) << measure::FormatName(row.Format);
    }
    EXPECT_NEAR(power / double(silence.size()) / (step * step), 0.25, 0.005)
        << measure::FormatName(row.Format);
    EXPECT_EQ(measure::Pack(std::vector{row.Value}, row.Format), row.Bytes);
    EXPECT_EQ(measure::Unpack(row.Bytes, row.Format), std::vector{row.Value});
    // Beyond full scale the values clip; the format's extremes survive the round trip.
    const auto clipped = measure::Dither(std::vector{2.0, -2.0}, row.Format);
    const double top = row.Format == SampleFormat::Float32 ? 1.0 : 1.0 - step;
    EXPECT_EQ(clipped, (std::vector{top, -1.0})) << measure::FormatName(row.Format);
    EXPECT_EQ(measure::Unpack(measure::Pack(clipped, row.Format), row.Format), clipped);
  }
  const std::vector<std::uint8_t> notANumber{0x00, 0x00, 0xc0, 0x7f};
  EXPECT_EQ(measure::Unpack(notANumber, SampleFormat::Float32), std::vector{0.0});
}

TEST(CardSignals, LevelsAndSegments) {
  const auto peak = [](const std::vector<double>& x) {
    double most = 0;
    for (const double v : x)
      most = std::max(most, std::abs(v));
    return 20 * std::log10(most);
  };
  const double rate = 44100;
  const struct {
    const char* Name;
    measure::TestSignal Signal;
    double PeakDbfs;
    std::size_t Segments;
  } rows[] = {
      {"sweep", measure::LogSweep(rate, -6), -6, 1},
      {"tone", measure::Tone(rate, 997, -1, 1), -1, 1},
      {"SMPTE", measure::Smpte(rate, -1), -1, 1},
      {"twin", measure::TwinTone(rate, 18000, 20000, -1), -1, 1},
      {"levels", measure::LevelSteps(rate, 997, -60, 0, 6), 0, 11},
      {"frequencies", measure::FrequencySteps(rate, 20, 10000, 19, -1), -1, 19},
      {"swept twin", measure::SweepingTwinTone(rate, -1), -1, 11},
      {"crosstalk", measure::CrosstalkTones(rate, -1), -1, 6},
  };
  for (const auto& row : rows) {
    const auto& s = row.Signal;
    // The samples miss a high twin tone's peak by up to 0.05 dB, never exceed it.
    EXPECT_LE(peak(s.Left), row.PeakDbfs + 1e-9) << row.Name;
    EXPECT_GE(peak(s.Left), row.PeakDbfs - 0.05) << row.Name;
    EXPECT_EQ(s.Left.size(), s.Right.size()) << row.Name;
    ASSERT_EQ(s.Segments.size(), row.Segments) << row.Name;
    // Segments follow each other and lie within the signal.
    for (std::size_t i = 1; i < s.Segments.size(); ++i)
      EXPECT_EQ(s.Segments[i].Start, s.Segments[i - 1].Start + s.Segments[i - 1].Frames);
    EXPECT_LE(s.Segments.back().Start + s.Segments.back().Frames, s.Left.size()) << row.Name;
  }
  // The swept twin tone passes 10 kHz; crosstalk drives one channel at a time.
  const auto swept = measure::SweepingTwinTone(rate, -1).Segments;
  EXPECT_TRUE(std::any_of(swept.begin(), swept.end(), [](auto& s) { return s.Hz2 == 10000; }));
  const auto crosstalk = measure::CrosstalkTones(rate, -1);
  const auto& first = crosstalk.Segments.front();
  EXPECT_EQ(first.To, measure::Drive::LeftOnly);
  EXPECT_EQ(crosstalk.Right[first.Start + first.Frames / 2], 0.0);
  EXPECT_NE(crosstalk.Left[first.Start + first.Frames / 2], 0.0);
}

TEST(CardSignals, AWeightingTable) {
  // The standard's table of the A-curve, given to 0.1 dB at the exact
  // frequencies 1 kHz x 10^(n / 10) that its nominal ones stand for.
  const struct {
    int N;
    double Db;
  } rows[] = {{-20, -70.4}, {-15, -39.4}, {-10, -19.1}, {0, 0.0}, {6, 1.0}, {10, -2.5}, {13, -9.3}};
  for (const auto& row : rows)
    EXPECT_NEAR(measure::AWeightingDb(1000 * std::pow(10.0, row.N / 10.0)), row.Db, 0.05) << row.N;
}

} // namespace
