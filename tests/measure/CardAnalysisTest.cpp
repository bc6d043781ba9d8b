// SPDX-License-Identifier: GPL-3.0-or-later
// Known answers of the card report's analyses: test signals through simulated
// devices with known nonlinearity, noise, hum, DC, crosstalk and clock offset,
// and every figure against the answer worked out from the device itself.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "CardDevice.h"
#include "measure/AWeighting.h"

namespace {

using card_test::Check;
using card_test::Compare;
using card_test::Device;
using measure::SampleFormat;
using measure::Section;
using measure::TestSignal;

constexpr double Rate = 48000;

double Db(double powerRatio) {
  return 10 * std::log10(powerRatio);
}
double Amplitude(double dbfs) {
  return std::pow(10.0, dbfs / 20);
}

// White noise of this variance over 0 .. Rate / 2, as the band 20 Hz-20 kHz
// holds it, unweighted or A-weighted.
double BandNoise(double variance, bool weighted) {
  if (!weighted) return variance * (20000 - 20) / (Rate / 2);
  double sum = 0;
  for (double hz = 20.25; hz < 20000; hz += 0.5)
    sum += 0.5 * std::pow(measure::AWeightingGain(hz), 2);
  return variance * sum / (Rate / 2);
}

// The dither of a silent channel: TPDF of one step either side holds q^2 / 4.
double DitherVariance(SampleFormat format) {
  return std::pow(measure::FormatStep(format), 2) / 4;
}

// Harmonics of y = x + c2 x^2 + c3 x^3 for a sine of amplitude a: the
// fundamental a + 3/4 c3 a^3, the second c2 a^2 / 2, the third c3 a^3 / 4.
struct Harmonics {
  double Fundamental, Second, Third;
};
Harmonics Of(double a, const Device& d) {
  return {a + 0.75 * d.C3 * a * a * a, d.C2 * a * a / 2, d.C3 * a * a * a / 4};
}

Device Delayed(double noiseRms = 0) {
  Device d;
  d.Delay = 333;
  d.NoiseRms = noiseRms;
  return d;
}

// An open loop: only noise comes back.
Device Open() {
  Device d = Delayed(1e-4);
  d.Open = true;
  return d;
}

TEST(CardNoise, KnownAnswers) {
  const TestSignal silence = measure::Silence(Rate, 2);
  Device s16 = Delayed(), f32 = Delayed();
  s16.Format = SampleFormat::S16;
  f32.Format = SampleFormat::Float32;
  Device noisy = Delayed(1e-4);
  noisy.HumHz = 50, noisy.HumRms = 1e-5 * std::sqrt(10.0); // -90 dBFS
  noisy.DcLeft = noisy.DcRight = -0.001;
  const double floor24 = Db(BandNoise(DitherVariance(SampleFormat::S24), false));
  const auto analyse = measure::AnalyseNoise;
  Check({
      {"24-bit floor", silence, Delayed(), analyse, "noise_dbfs", floor24, 0.1},
      {"24-bit floor, A", silence, Delayed(), analyse, "noise_a_dbfs",
       Db(BandNoise(DitherVariance(SampleFormat::S24), true)), 0.1},
      {"16-bit floor", silence, s16, analyse, "noise_dbfs",
       Db(BandNoise(DitherVariance(SampleFormat::S16), false)), 0.1},
      {"float floor", silence, f32, analyse, "noise_dbfs",
       Db(BandNoise(DitherVariance(SampleFormat::Float32), false)), 0.1},
      {"no spur in dither", silence, Delayed(), analyse, "spur_hz", 0, 0, Compare::Absent},
      {"noise", silence, noisy, analyse, "noise_dbfs", Db(BandNoise(1e-8, false) + 1e-9), 0.15},
      {"noise, A", silence, noisy, analyse, "noise_a_dbfs",
       Db(BandNoise(1e-8, true) + 1e-9 * std::pow(measure::AWeightingGain(50), 2)), 0.15},
      {"hum frequency", silence, noisy, analyse, "spur_hz", 50, 0.05},
      {"hum level", silence, noisy, analyse, "spur_dbfs", -90, 0.3},
      {"hum in its 1/12 octave", silence, noisy, analyse, "noise_spectrum#15", -90, 0.3},
      {"DC offset", silence, noisy, analyse, "dc_offset_percent", -0.1, 0.0005},
  });
}

TEST(CardDistortion, KnownAnswers) {
  const TestSignal low = measure::Tone(Rate, 997, -60, 1);
  const TestSignal tone = measure::Tone(Rate, 997, -1, 1);
  Device quiet = Delayed(std::pow(10.0, -110.0 / 20));
  Device s16 = Delayed();
  s16.Format = SampleFormat::S16;
  // The dynamic range: the A-weighted noise under a -60 dBFS tone, plus 60 dB.
  const auto range = [](double variance) {
    return -Db(BandNoise(variance, true) / (1e-6 / 2)) + 60;
  };
  Device bent = Delayed(1e-6);
  bent.C2 = 2e-3, bent.C3 = 1e-3;
  bent.GainRight = Amplitude(-0.5);
  Device even = bent; // both channels alike
  even.GainRight = 1;
  const Harmonics h = Of(Amplitude(-1), bent);
  const double thd = (h.Second * h.Second + h.Third * h.Third) / (h.Fundamental * h.Fundamental);
  const double thdn = thd + BandNoise(1e-12, false) / (h.Fundamental * h.Fundamental / 2);
  Device right = bent;
  right.GainLeft = right.GainRight; // the left reads as the right does
  // THD against frequency through a 5 kHz low-pass after the nonlinearity.
  Device filtered = even;
  filtered.Filters = {card_test::Pass(5000, M_SQRT1_2, Rate, false)};
  const TestSignal steps = measure::FrequencySteps(Rate, 20, 10000, 19, -1);
  const auto filteredThd = [&](double hz) {
    const auto gain = [&](double f) { return std::norm(filtered.Filters[0].At(f, Rate)); };
    const double third = 3 * hz <= 20000 ? h.Third * h.Third * gain(3 * hz) : 0.0;
    return Db((h.Second * h.Second * gain(2 * hz) + third) /
              (h.Fundamental * h.Fundamental * gain(hz)));
  };
  // THD+N against level: harmonics grow with level, the noise stays.
  const TestSignal levels = measure::LevelSteps(Rate, 997, -60, 0, 6);
  const auto levelThdn = [&](double dbfs) {
    const Harmonics at = Of(Amplitude(dbfs), bent);
    return Db((at.Second * at.Second + at.Third * at.Third + 2 * BandNoise(1e-12, false)) /
              (at.Fundamental * at.Fundamental));
  };
  using namespace measure;
  Check({
      {"dynamic range", low, quiet, AnalyseDynamicRange, "dynamic_range_db",
       range(std::pow(10.0, -110.0 / 10)), 0.2},
      {"16-bit dynamic range", low, s16, AnalyseDynamicRange, "dynamic_range_db",
       range(DitherVariance(SampleFormat::S16)), 0.3},
      {"ideal 24-bit THD", tone, Delayed(), AnalyseThd, "thd_db", -130, 0, Compare::Below},
      {"nothing back: no THD", tone, Open(), AnalyseThd, "thd_db", 0, 0, Compare::Absent},
      {"nothing back: no range", low, Open(), AnalyseDynamicRange, "dynamic_range_db", 0, 0,
       Compare::Absent},
      {"THD", tone, even, AnalyseThd, "thd_db", Db(thd), 0.05},
      {"THD %", tone, even, AnalyseThd, "thd_percent", 100 * std::sqrt(thd),
       0.005 * std::sqrt(thd) * 100},
      {"THD+N", tone, even, AnalyseThd, "thdn_db", Db(thdn), 0.05},
      {"THD+N %", tone, even, AnalyseThd, "thdn_percent", 100 * std::sqrt(thdn),
       0.005 * std::sqrt(thdn) * 100},
      {"level", tone, right, AnalyseThd, "level_dbfs", 20 * std::log10(h.Fundamental) - 0.5, 0.002},
      {"THD at 20 Hz", steps, filtered, AnalyseThdVsFrequency, "thd#0", filteredThd(20), 0.05},
      {"THD at 1.26 kHz", steps, filtered, AnalyseThdVsFrequency, "thd#12",
       filteredThd(20 * std::pow(500, 12 / 18.0)), 0.05},
      // Here the harmonic, 88 dB down, is only 40 dB above the noise in its lobe.
      {"THD at 10 kHz", steps, filtered, AnalyseThdVsFrequency, "thd#18", filteredThd(10000), 0.1},
      // 0.3 s of noise alone: its power is known to about 2 %.
      {"THD+N at -60 dBFS", levels, even, AnalyseThdVsLevel, "thdn#0", levelThdn(-60), 0.3},
      {"THD+N at 0 dBFS", levels, even, AnalyseThdVsLevel, "thdn#10", levelThdn(0), 0.05},
  });
  // The balance is one figure of both channels.
  const Section s = AnalyseThd(card_test::Play(tone, bent).View(Rate, 333), tone);
  const Figure* balance = FindFigure(s, "balance_db");
  ASSERT_NE(balance, nullptr);
  EXPECT_TRUE(balance->Pair);
  ASSERT_TRUE(balance->Left.has_value());
  EXPECT_NEAR(*balance->Left, 0.5, 0.002);
}

TEST(CardImd, KnownAnswers) {
  Device bent = Delayed(1e-7);
  bent.C2 = 2e-3, bent.C3 = 1e-3;
  const double c2 = bent.C2, c3 = bent.C3;
  const double peak = Amplitude(-1);
  // SMPTE: sidebands f2 +- f1 of c2 A1 A2, f2 +- 2 f1 of 3/4 c3 A1^2 A2,
  // against f2 grown by 3/4 c3 A2^3 + 3/2 c3 A1^2 A2.
  const double a1 = 0.8 * peak, a2 = 0.2 * peak;
  const double f2 = a2 + c3 * (0.75 * a2 * a2 * a2 + 1.5 * a1 * a1 * a2);
  const double smpte =
      2 * (std::pow(c2 * a1 * a2, 2) + std::pow(0.75 * c3 * a1 * a1 * a2, 2)) / (f2 * f2);
  // Twin tone of amplitude a each: f2 - f1 of c2 a^2, 2 f1 - f2 and 2 f2 - f1
  // of 3/4 c3 a^3 (the latter only within the band), against both tones grown
  // by 9/4 c3 a^3.
  const double a = peak / 2, grown = a + 2.25 * c3 * a * a * a;
  const auto twin = [&](int thirdOrders) {
    return (std::pow(c2 * a * a, 2) + thirdOrders * std::pow(0.75 * c3 * a * a * a, 2)) /
           (2 * grown * grown);
  };
  const TestSignal sweep = measure::SweepingTwinTone(Rate, -1);
  using namespace measure;
  Check({
      {"SMPTE", Smpte(Rate, -1), bent, AnalyseSmpte, "imd_smpte_db", Db(smpte), 0.05},
      {"SMPTE %", Smpte(Rate, -1), bent, AnalyseSmpte, "imd_smpte_percent", 100 * std::sqrt(smpte),
       0.006 * 100 * std::sqrt(smpte)},
      {"ideal SMPTE", Smpte(Rate, -1), Delayed(), AnalyseSmpte, "imd_smpte_db", -120, 0,
       Compare::Below},
      {"nothing back", Smpte(Rate, -1), Open(), AnalyseSmpte, "imd_smpte_db", 0, 0,
       Compare::Absent},
      {"twin 18+20 kHz", TwinTone(Rate, 18000, 20000, -1), bent, AnalyseTwinTone, "imd_twin_db",
       Db(twin(1)), 0.05},
      {"twin 9+10 kHz", sweep, bent, AnalyseSweepingTwinTone, "imd_10khz_db", Db(twin(2)), 0.05},
      {"twin 1.8+2 kHz", sweep, bent, AnalyseSweepingTwinTone, "imd#0", Db(twin(2)), 0.05},
  });
}

TEST(CardCrosstalk, KnownAnswers) {
  Device leaky = Delayed(1e-7);
  leaky.LeftIntoRight = 1e-3, leaky.RightIntoLeft = 1e-4;
  const TestSignal tones = measure::CrosstalkTones(Rate, -1);
  Device intoLeft = leaky, intoRight = leaky;
  intoLeft.LeftIntoRight = 1e-4;  // both channels read -80 dB
  intoRight.RightIntoLeft = 1e-3; // both channels read -60 dB
  using namespace measure;
  Check({
      {"100 Hz into left", tones, intoLeft, AnalyseCrosstalk, "crosstalk_100hz_db", -80, 0.05},
      {"1 kHz into left", tones, intoLeft, AnalyseCrosstalk, "crosstalk_1khz_db", -80, 0.05},
      {"10 kHz into right", tones, intoRight, AnalyseCrosstalk, "crosstalk_10khz_db", -60, 0.05},
      {"ideal 24-bit", tones, Delayed(), AnalyseCrosstalk, "crosstalk_1khz_db", -140, 0,
       Compare::Below},
      {"nothing back", tones, Open(), AnalyseCrosstalk, "crosstalk_1khz_db", 0, 0, Compare::Absent},
  });
  // Each direction on its own channel.
  const Section s = AnalyseCrosstalk(card_test::Play(tones, leaky).View(Rate, 333), tones);
  const Figure* f = FindFigure(s, "crosstalk_1khz_db");
  ASSERT_TRUE(f && f->Left && f->Right);
  EXPECT_NEAR(*f->Left, -80, 0.05);
  EXPECT_NEAR(*f->Right, -60, 0.05);
}

TEST(CardClock, KnownAnswers) {
  const TestSignal asked = measure::Tone(Rate, 997, -6, 10);
  const auto at = [&](double ppm) { return measure::Tone(Rate, 997 * (1 + ppm * 1e-6), -6, 10); };
  using namespace measure;
  Check({
      {"in step", asked, Delayed(), AnalyseClock, "clock_offset_ppm", 0, 0.1},
      {"+37 ppm", at(37), Delayed(1e-5), AnalyseClock, "clock_offset_ppm", 37, 0.1, Compare::Near,
       asked},
      {"-120 ppm", at(-120), Delayed(1e-5), AnalyseClock, "clock_offset_ppm", -120, 0.1,
       Compare::Near, asked},
      {"nothing back", asked, Open(), AnalyseClock, "clock_offset_ppm", 0, 0, Compare::Absent},
  });
}

} // namespace
