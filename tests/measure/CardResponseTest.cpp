// SPDX-License-Identifier: GPL-3.0-or-later
// Known answers of the frequency response and latency: the sweep through
// simulated devices whose response follows from their filters' own formulas.
#include <cmath>
#include <optional>
#include <string>

#include <gtest/gtest.h>

#include "CardDevice.h"

namespace {

using card_test::Biquad;
using card_test::Check;
using card_test::Compare;
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
  const auto sweep = measure::LogSweep(48000, -6);
  const auto analyse = measure::AnalyseResponse;
  const auto [lowAbove, lowBelow] = Deviation(low, 48000, 40, 15000);
  const auto [highAbove, highBelow] = Deviation(high, 48000, 20, 20000);
  const double lowCorner = ThreeDb(low, 48000, 24000), highCorner = ThreeDb(high, 48000, 10);
  Check({
      {"ideal level", sweep, ideal, analyse, "level_1khz_db", 0.0, 0.001},
      {"ideal above", sweep, ideal, analyse, "deviation_20_20k_above_db", 0.0, 0.01},
      {"ideal below", sweep, ideal, analyse, "deviation_20_20k_below_db", 0.0, 0.01},
      {"ideal: no low corner", sweep, ideal, analyse, "minus_3db_low_hz", 0, 0, Compare::Absent},
      {"ideal: no high corner", sweep, ideal, analyse, "minus_3db_high_hz", 0, 0, Compare::Absent},
      {"48k: no wide band", sweep, ideal, analyse, "deviation_wide_below_db", 0, 0,
       Compare::Absent},
      {"ideal latency", sweep, ideal, analyse, "latency_frames", 480.0, 0.01},
      {"ideal phase at 20 Hz", sweep, ideal, analyse, "phase#0", 0.0, 0.1},
      {"ideal phase at 20 kHz", sweep, ideal, analyse, "phase#239", 0.0, 0.1},
      {"ideal latency ms", sweep, ideal, analyse, "latency_ms", 10.0, 0.001},
      {"16-bit 44.1k flat", measure::LogSweep(44100, -6), ideal441, analyse,
       "deviation_20_20k_below_db", 0.0, 0.01},
      {"96k wide band", measure::LogSweep(96000, -6), ideal96, analyse, "deviation_wide_below_db",
       0.0, 0.01},
      {"192k wide band", measure::LogSweep(192000, -6), ideal192, analyse,
       "deviation_wide_above_db", 0.0, 0.01},
      {"192k latency", measure::LogSweep(192000, -6), ideal192, analyse, "latency_ms", 20.0, 0.001},
      {"low-pass level", sweep, low, analyse, "level_1khz_db", Db(1000, low, 48000), 0.005},
      {"low-pass corner", sweep, low, analyse, "minus_3db_high_hz", lowCorner, 0.001 * lowCorner},
      {"low-pass above", sweep, low, analyse, "deviation_40_15k_above_db", lowAbove, 0.01},
      {"low-pass below", sweep, low, analyse, "deviation_40_15k_below_db", lowBelow, 0.05},
      {"high-pass corner", sweep, high, analyse, "minus_3db_low_hz", highCorner,
       0.002 * highCorner},
      {"high-pass above", sweep, high, analyse, "deviation_20_20k_above_db", highAbove, 0.01},
      {"high-pass below", sweep, high, analyse, "deviation_20_20k_below_db", highBelow, 0.05},
      {"open loop level", sweep, open, analyse, "level_1khz_db", 0, 0, Compare::Absent},
      {"open loop latency", sweep, open, analyse, "latency_ms", 0, 0, Compare::Absent},
  });
}

} // namespace
