// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A simulated device under test for the card report's known answers: the
// played signal dithered to the stream's format, then a known nonlinearity,
// filters of known response, leaks between the channels, gains, a delay, and
// known noise, hum and DC, captured by rounding to the format's grid. And the
// table of known answers that the tests check through it.

#include <complex>
#include <numbers>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "measure/CardAnalyses.h"
#include "measure/CardFormat.h"

namespace card_test {

// A biquad of the usual audio cookbook, normalised so that a0 = 1.
struct Biquad {
  double B0 = 1, B1 = 0, B2 = 0, A1 = 0, A2 = 0;
  // Its response at hz, straight from its transfer function.
  std::complex<double> At(double hz, double rate) const {
    const std::complex<double> z1 = std::polar(1.0, -2 * std::numbers::pi * hz / rate);
    return (B0 + B1 * z1 + B2 * z1 * z1) / (1.0 + A1 * z1 + A2 * z1 * z1);
  }
  bool operator==(const Biquad&) const = default;
};

inline Biquad Pass(double hz, double q, double rate, bool high) {
  const double w = 2 * std::numbers::pi * hz / rate, cosw = std::cos(w);
  const double alpha = std::sin(w) / (2 * q), a0 = 1 + alpha;
  const double b1 = high ? -(1 + cosw) : 1 - cosw;
  return {std::abs(b1) / 2 / a0, b1 / a0, std::abs(b1) / 2 / a0, -2 * cosw / a0, (1 - alpha) / a0};
}

struct Device {
  measure::SampleFormat Format = measure::SampleFormat::S24;
  std::size_t Delay = 0; // frames
  double C2 = 0, C3 = 0; // y = x + C2 x^2 + C3 x^3, before the filters
  std::vector<Biquad> Filters;
  double LeftIntoRight = 0, RightIntoLeft = 0; // amplitude ratios
  double GainLeft = 1, GainRight = 1;
  double NoiseRms = 0, HumHz = 0, HumRms = 0, DcLeft = 0, DcRight = 0;
  bool Open = false; // nothing comes back but the noise
  bool operator==(const Device&) const = default;
};

struct Captured {
  std::vector<double> Left, Right;
  measure::Capture View(double rate, double latency) const { return {Left, Right, rate, latency}; }
};

inline std::vector<double> Through(std::vector<double> x, const Device& d) {
  for (double& v : x)
    v += d.C2 * v * v + d.C3 * v * v * v;
  for (const Biquad& f : d.Filters) {
    double x1 = 0, x2 = 0, y1 = 0, y2 = 0;
    for (double& v : x) {
      const double y = f.B0 * v + f.B1 * x1 + f.B2 * x2 - f.A1 * y1 - f.A2 * y2;
      x2 = x1, x1 = v, y2 = y1, y1 = y, v = y;
    }
  }
  return x;
}

inline Captured Play(const measure::TestSignal& s, const Device& d, std::uint64_t seed = 7) {
  const auto l = Through(measure::Dither(s.Left, d.Format, seed), d);
  const auto r = Through(measure::Dither(s.Right, d.Format, seed + 1), d);
  const std::size_t frames = s.Left.size() + d.Delay + std::size_t(0.3 * s.Rate);
  Captured c{std::vector<double>(frames), std::vector<double>(frames)};
  std::mt19937_64 random(seed + 2);
  std::normal_distribution<double> noise(0.0, d.NoiseRms > 0 ? d.NoiseRms : 1.0);
  const double step = measure::FormatStep(d.Format);
  for (std::size_t n = 0; n < frames; ++n) {
    const bool played = !d.Open && n >= d.Delay && n - d.Delay < l.size();
    const double xl = played ? l[n - d.Delay] : 0.0, xr = played ? r[n - d.Delay] : 0.0;
    const double hum =
        d.HumRms * std::sqrt(2.0) * std::sin(2 * std::numbers::pi * d.HumHz * double(n) / s.Rate);
    const double nl = d.NoiseRms > 0 ? noise(random) : 0.0;
    const double nr = d.NoiseRms > 0 ? noise(random) : 0.0;
    const double vl = d.GainLeft * (xl + d.RightIntoLeft * xr) + nl + hum + d.DcLeft;
    const double vr = d.GainRight * (xr + d.LeftIntoRight * xl) + nr + hum + d.DcRight;
    c.Left[n] = std::nearbyint(vl / step) * step;
    c.Right[n] = std::nearbyint(vr / step) * step;
  }
  return c;
}

enum class Compare { Near, Below, Absent };

struct Row {
  std::string Name;
  measure::TestSignal Played;
  Device Dut;
  measure::Section (*Analyse)(const measure::Capture&, const measure::TestSignal&);
  std::string Key; // a figure, or "curve#point" for a point of a curve
  double Expected, Tolerance;
  Compare How = Compare::Near;
  measure::TestSignal Asked = {}; // what the analysis is told was played, when not Played
};

inline std::optional<double> Reading(const measure::Section& s, const std::string& key,
                                     int channel) {
  if (const auto hash = key.find('#'); hash != std::string::npos) {
    const measure::Curve* c = measure::FindCurve(s, key.substr(0, hash));
    if (!c) return {};
    const auto& y = c->Lines.at(std::size_t(channel)).Y;
    const auto point = std::stoul(key.substr(hash + 1));
    return point < y.size() ? std::optional(y[point]) : std::nullopt;
  }
  const measure::Figure* f = measure::FindFigure(s, key);
  if (!f) return {};
  return channel == 0 ? f->Left : f->Right;
}

// Each row's signal through its device, analysed; its figure in both channels
// near the answer, below it, or absent.
inline void Check(const std::vector<Row>& rows) {
  const Row* last = nullptr; // rows that repeat the one before share its analysis
  measure::Section s;
  for (const Row& row : rows) {
    if (!last || row.Dut != last->Dut || row.Analyse != last->Analyse ||
        row.Played.Left != last->Played.Left || row.Asked.Left != last->Asked.Left) {
      const auto captured = Play(row.Played, row.Dut);
      const measure::TestSignal& asked = row.Asked.Left.empty() ? row.Played : row.Asked;
      s = row.Analyse(captured.View(row.Played.Rate, double(row.Dut.Delay)), asked);
    }
    last = &row;
    for (int channel = 0; channel < 2; ++channel) {
      const std::optional<double> value = Reading(s, row.Key, channel);
      const std::string where = row.Name + (channel == 0 ? ", left" : ", right");
      if (row.How == Compare::Absent) {
        EXPECT_FALSE(value.has_value()) << where;
        continue;
      }
      ASSERT_TRUE(value.has_value()) << where;
      if (row.How == Compare::Near)
        EXPECT_NEAR(*value, row.Expected, row.Tolerance) << where;
      else
        EXPECT_LT(*value, row.Expected) << where;
    }
  }
}

} // namespace card_test
