// Known answers of the frequency response and latency: the sweep through
// simulated devices whose response follows from their filters' own formulas.
#include <cmath>
#include <functional>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "CardDevice.h"

namespace {

using card_test::Biquad;
using card_test::Device;
using card_test::Pass;
using measure::SampleFormat;

double Db(double hz, const Device& d, double rate) {
  std::complex<double> h = d.GainLeft;
  for (const Biquad& f : d.Filters)
    h *= f.At(hz, rate);
  return 20 * std::log10(std::abs(h));
}

// Where the filters' response falls 3 dB below its level at 1 kHz, by
// bisection between 1 kHz and `towards`.
double ThreeDb(const Device& d, double rate, double towards) {
  const double target = Db(1000, d, rate) - 3;
  double inside = 1000, outside = towards;
  for (int i = 0; i < 100; ++i) {
    const double middle = std::sqrt(inside * outside);
    (Db(middle, d, rate) > target ? inside : outside) = middle;
  }
  return inside;
}

// The extremes of the response over [lo, hi] against 1 kHz, on a fine grid.
std::pair<double, double> Deviation(const Device& d, double rate, double lo, double hi) {
  double above = -1e9, below = 1e9;
  for (double hz = lo; hz <= hi; hz *= 1.0005) {
    above = std::max(above, Db(hz, d, rate) - Db(1000, d, rate));
    below = std::min(below, Db(hz, d, rate) - Db(1000, d, rate));
  }
  return {above, below};
}

struct Row {
  std::string Name;
  double Rate;
  Device Dut;
  std::string Key;
  std::optional<double> Expected; // none: the figure must not exist
  double Tolerance;
};

TEST(CardResponse, KnownAnswers) {
  Device ideal;
  ideal.Delay = 480;
  Device low = ideal;
  low.Filters = {Pass(5000, M_SQRT1_2, 48000, false)};
  low.GainLeft = low.GainRight = 0.5;
  low.Delay = 1000;
  low.NoiseRms = 1e-5;
  Device high = ideal;
  high.Filters = {Pass(50, 0.6, 48000, true)};
  Device open = ideal;
  open.Open = true;
  open.NoiseRms = 1e-4;
  Device ideal96 = ideal, ideal441 = ideal, ideal192 = ideal;
  ideal96.Delay = 960, ideal192.Delay = 3840;
  ideal441.Format = SampleFormat::S16;

  const auto [lowAbove, lowBelow] = Deviation(low, 48000, 40, 15000);
  const auto [highAbove, highBelow] = Deviation(high, 48000, 20, 20000);
  const Row rows[] = {
      {"ideal level", 48000, ideal, "level_1khz_db", 0.0, 0.001},
      {"ideal above", 48000, ideal, "deviation_20_20k_above_db", 0.0, 0.01},
      {"ideal below", 48000, ideal, "deviation_20_20k_below_db", 0.0, 0.01},
      {"ideal no low corner", 48000, ideal, "minus_3db_low_hz", std::nullopt, 0},
      {"ideal no high corner", 48000, ideal, "minus_3db_high_hz", std::nullopt, 0},
      {"ideal no wide band at 48k", 48000, ideal, "deviation_wide_below_db", std::nullopt, 0},
      {"ideal latency", 48000, ideal, "latency_frames", 480.0, 0.01},
      {"ideal latency ms", 48000, ideal, "latency_ms", 10.0, 0.001},
      {"16-bit 44.1k flat", 44100, ideal441, "deviation_20_20k_below_db", 0.0, 0.01},
      {"96k wide band", 96000, ideal96, "deviation_wide_below_db", 0.0, 0.01},
      {"192k wide band", 192000, ideal192, "deviation_wide_above_db", 0.0, 0.01},
      {"192k latency", 192000, ideal192, "latency_ms", 20.0, 0.001},
      {"low-pass level", 48000, low, "level_1khz_db", Db(1000, low, 48000), 0.005},
      {"low-pass corner", 48000, low, "minus_3db_high_hz", ThreeDb(low, 48000, 24000),
       0.001 * ThreeDb(low, 48000, 24000)},
      {"low-pass above", 48000, low, "deviation_40_15k_above_db", lowAbove, 0.01},
      {"low-pass below", 48000, low, "deviation_40_15k_below_db", lowBelow, 0.05},
      {"high-pass corner", 48000, high, "minus_3db_low_hz", ThreeDb(high, 48000, 10),
       0.002 * ThreeDb(high, 48000, 10)},
      {"high-pass above", 48000, high, "deviation_20_20k_above_db", highAbove, 0.01},
      {"high-pass below", 48000, high, "deviation_20_20k_below_db", highBelow, 0.05},
      {"open loop level", 48000, open, "level_1khz_db", std::nullopt, 0},
      {"open loop latency", 48000, open, "latency_ms", std::nullopt, 0},
  };
  for (const Row& row : rows) {
    const measure::TestSignal sweep = measure::LogSweep(row.Rate, -6);
    const auto captured = card_test::Play(sweep, row.Dut);
    const measure::Section s = measure::AnalyseResponse(captured.View(row.Rate, 0), sweep);
    const measure::Figure* f = measure::FindFigure(s, row.Key);
    ASSERT_NE(f, nullptr) << row.Key;
    if (!row.Expected) {
      EXPECT_FALSE(f->Left.has_value()) << row.Name << ": " << *f->Left;
      continue;
    }
    ASSERT_TRUE(f->Left.has_value()) << row.Name;
    EXPECT_NEAR(*f->Left, *row.Expected, row.Tolerance) << row.Name;
    ASSERT_TRUE(f->Right.has_value()) << row.Name;
    EXPECT_NEAR(*f->Right, *row.Expected, row.Tolerance) << row.Name;
  }
}

} // namespace
