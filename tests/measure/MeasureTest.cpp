// SPDX-License-Identifier: GPL-3.0-or-later
// Known answers: synthesised tones, quantised to 16 bits with triangular
// dither, and the figures the library must read from them.
#include "measure/Measure.h"

#include <cmath>
#include <functional>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

using Samples = std::vector<std::int16_t>;
constexpr std::size_t Second = 48000;

// One tone component: frequency (Hz), level (dBFS of its peak), phase (degrees).
struct Component {
  double Hz, Dbfs, Degrees = 0;
};

// The components, delayed by `delay` samples, quantised to 16 bits with
// triangular dither of +-1 LSB (seeded, so every run is the same) or none.
Samples Tones(std::vector<Component> parts, double delay = 0, std::size_t frames = Second,
              bool dither = true) {
  std::mt19937 random(1);
  std::uniform_real_distribution<double> lsb(-0.5, 0.5);
  Samples out(frames);
  for (std::size_t n = 0; n < frames; ++n) {
    double v = dither ? lsb(random) + lsb(random) : 0.0;
    for (const Component& c : parts)
      v += 32768.0 * std::pow(10.0, c.Dbfs / 20.0) *
           std::sin(2 * std::numbers::pi * c.Hz * (double(n) - delay) / 48000.0 +
                    c.Degrees * std::numbers::pi / 180.0);
    out[n] = static_cast<std::int16_t>(std::clamp(std::lround(v), -32768L, 32767L));
  }
  return out;
}

struct KnownAnswer {
  std::string Name;
  Samples Left, Right;
  std::function<double(const measure::Figures&)> Reading;
  double Expected, Tolerance;
};

// Triangular dither adds twice the quantisation's own noise: q^2/4 in all.
double DitheredThdnDb(double dbfs) {
  const double amplitude = 32768.0 * std::pow(10.0, dbfs / 20.0);
  return 10.0 * std::log10(0.25 / (amplitude * amplitude / 2));
}

std::vector<KnownAnswer> Table() {
  const Samples sine997 = Tones({{997, -6}, {1994, -46}});
  const Samples sine1k = Tones({{1000, -6}});
  const Samples fullScale = Tones({{1000, -0.01}});
  const Samples odd = Tones({{1000.37, -40}});
  const Samples block = Tones({{1000.37, -6}}, 0, 2048);
  const Samples low = Tones({{50, -6}, {100, -46}});
  // The third harmonic of 9 kHz would lie at 27 kHz; 21 kHz is no harmonic.
  const Samples high = Tones({{9000, -6}, {21000, -46}});
  // A 0 Hz component at 90 degrees is DC: 0.1 of full scale here.
  const Samples offset = Tones({{997, -6}, {1994, -46}, {0, -20, 90}});
  const Samples two = Tones({{1000, -20}, {3000, -6}});
  // Tones that are no harmonics, 20 dB and 50 dB under the tone, and the
  // 10th harmonic alone.
  const Samples beside = Tones({{997, -6}, {1994, -66}, {5123, -26}});
  const Samples hum = Tones({{997, -6}, {1994, -86}, {50, -56}});
  const Samples tenth = Tones({{1000, -6}, {10000, -46}});
  using F = const measure::Figures&;
  return {
      {"THD % of a second harmonic 40 dB down", sine997, sine997,
       [](F f) { return f.Left.ThdPercent; }, 1.00, 0.02},
      {"THD dB of a second harmonic 40 dB down", sine997, sine997, [](F f) { return f.Left.ThdDb; },
       -40.0, 0.2},
      {"THD+N of a dithered 16-bit sine", fullScale, fullScale, [](F f) { return f.Left.ThdnDb; },
       DitheredThdnDb(-0.01), 1.0},
      {"SNR of a dithered 16-bit sine", fullScale, fullScale, [](F f) { return f.Right.SnrDb; },
       -DitheredThdnDb(-0.01), 1.0},
      {"noise floor of 16-bit dither", sine1k, sine1k, [](F f) { return f.Left.NoiseFloorDbfs; },
       10 * std::log10(0.25 / 32768.0 / 32768.0), 0.2},
      {"THD of a 50 Hz tone", low, low, [](F f) { return f.Left.ThdPercent; }, 1.00, 0.02},
      {"THD beside a tone 20 dB down", beside, beside, [](F f) { return f.Left.ThdDb; }, -60.0,
       0.05},
      {"that tone's frequency", beside, beside, [](F f) { return f.Left.SpurHz; }, 5123.0, 0.01},
      {"SFDR against it", beside, beside, [](F f) { return f.Left.SfdrDb; }, 20.0, 0.05},
      {"THD of 0.01 % beside hum 50 dB down", hum, hum, [](F f) { return f.Left.ThdPercent; }, 0.01,
       0.0003},
      {"THD of the 10th harmonic", tenth, tenth, [](F f) { return f.Left.ThdDb; }, -40.0, 0.05},
      {"a tone at the band's low edge", Tones({{10, -6}}), Tones({{10, -6}}),
       [](F f) { return f.Left.FrequencyHz; }, 10.0, 0.01},
      {"a tone at the band's high edge", Tones({{23990, -6}}), Tones({{23990, -6}}),
       [](F f) { return f.Left.FrequencyHz; }, 23990.0, 0.01},
      {"what is no harmonic below 24 kHz as spur", high, high, [](F f) { return f.Left.SfdrDb; },
       40.0, 0.05},
      {"THD+N with it", high, high, [](F f) { return f.Left.ThdnDb; }, -40.0, 0.2},
      {"THD+N beside DC", offset, offset, [](F f) { return f.Left.ThdnDb; }, -40.0, 0.2},
      {"RMS with DC", offset, offset, [](F f) { return f.Left.RmsDbfs; }, -8.678, 0.01},
      {"frequency of the stronger of two tones", two, two, [](F f) { return f.Left.FrequencyHz; },
       3000.0, 0.01},
      {"THD+N of the weaker, no harmonic", two, two, [](F f) { return f.Left.ThdnDb; }, -14.0, 0.1},
      {"frequency from one block", block, block, [](F f) { return f.Left.FrequencyHz; }, 1000.37,
       0.05},
      {"RMS of one block", block, block, [](F f) { return f.Right.RmsDbfs; }, -9.01, 0.02},
      {"frequency between bins", odd, odd, [](F f) { return f.Right.FrequencyHz; }, 1000.37, 0.01},
      {"RMS of a full-scale sine", fullScale, fullScale, [](F f) { return f.Left.RmsDbfs; }, -3.02,
       0.01},
      {"RMS of a -6 dBFS sine", sine1k, sine1k, [](F f) { return f.Left.RmsDbfs; }, -9.01, 0.01},
      {"peak of a -6 dBFS sine", sine1k, sine1k, [](F f) { return f.Left.PeakDbfs; }, -6.0, 0.01},
      {"level difference", sine1k, Tones({{1000, -12}}),
       [](F f) { return f.Between.LevelDifferenceDb; }, 6.0, 0.01},
      {"phase of left ahead by 30 degrees", Tones({{1000, -6, 30}}), sine1k,
       [](F f) { return f.Between.PhaseDegrees; }, 30.0, 0.05},
      {"phase of left behind by 90 degrees", Tones({{1000, -6, -90}}), sine1k,
       [](F f) { return f.Between.PhaseDegrees; }, -90.0, 0.05},
      {"delay of 10 samples", Tones({{1000, -6}}, 10), sine1k,
       [](F f) { return f.Between.DelaySamples; }, 10.0, 0.05},
      {"sub-sample delay of right", sine1k, Tones({{1000, -6}}, 2.5),
       [](F f) { return f.Between.DelaySamples; }, -2.5, 0.05},
      {"delay of a tone over noise", Tones({{1000, -20}, {7000, -30}}, 10.3),
       Tones({{1000, -20}, {7000, -30}}), [](F f) { return f.Between.DelaySamples; }, 10.3, 0.05},
  };
}

TEST(Measure, KnownAnswers) {
  for (const KnownAnswer& k : Table()) {
    const measure::Figures f = measure::MeasureStereo(k.Left, k.Right);
    EXPECT_TRUE(f.Left.Valid && f.Right.Valid && f.Between.Valid) << k.Name;
    EXPECT_NEAR(k.Reading(f), k.Expected, k.Tolerance) << k.Name;
  }
}

// Silence, DC and white noise hold no tone; one channel alone measures the
// same as in a pair.
TEST(Measure, NoToneIsNotValid) {
  std::mt19937 random(3);
  std::uniform_int_distribution<int> value(-3000, 3000);
  Samples noise(Second), dc(Second, 1000), silence(Second, 0);
  for (auto& s : noise)
    s = static_cast<std::int16_t>(value(random));
  for (const Samples* s : {&noise, &dc, &silence})
    EXPECT_FALSE(measure::MeasureChannel(*s).Valid);
  EXPECT_FALSE(measure::MeasureStereo(silence, Tones({{1000, -6}})).Between.Valid);
  const Samples tone = Tones({{440, -20}});
  EXPECT_NEAR(measure::MeasureChannel(tone).ThdnDb,
              measure::MeasureStereo(tone, silence).Left.ThdnDb, 1e-6);
}

// A figure that does not exist is None, with the reason, never a number:
// silence, a tone outside the band, harmonics and noise below what can be
// measured, two channels with different tones.
TEST(Measure, MissingFiguresAreNoneWithTheirReason) {
  using measure::Finding;
  const Samples silence(Second, 0);
  const Samples clean = Tones({{1000, -6}});
  // 0, A, 0, -A: exact in 16 bits, so no noise at all, and no harmonic below 24 kHz.
  const Samples exact = Tones({{12000, -6}}, 0, Second, false);
  const auto found = [](const Samples& s) { return measure::MeasureChannel(s).Found; };
  EXPECT_EQ(found(silence), Finding::Silence);
  EXPECT_TRUE(std::isnan(measure::MeasureChannel(silence).RmsDbfs));
  for (const double hz : {5.0, 23999.0})
    EXPECT_EQ(found(Tones({{hz, -6}})), Finding::OutsideBand) << hz;
  const measure::ChannelFigures c = measure::MeasureChannel(clean);
  EXPECT_TRUE(std::isnan(c.ThdDb) && std::isnan(c.SpurHz) && std::isnan(c.Harmonics[0].LevelDb));
  EXPECT_NEAR(c.ThdBoundDb, -105, 5);
  const measure::ChannelFigures e = measure::MeasureChannel(exact);
  EXPECT_TRUE(e.Valid && std::isnan(e.SnrDb) && std::isnan(e.NoiseFloorDbfs) &&
              std::isnan(e.ThdDb) && std::isnan(e.ThdBoundDb));
  const measure::PairFigures pair = measure::MeasureStereo(clean, Tones({{3000, -6}})).Between;
  EXPECT_TRUE(pair.Found == measure::PairFinding::DifferentTones && std::isnan(pair.PhaseDegrees));
  EXPECT_TRUE(measure::MeasureChannel(Tones({{997, -6}, {5123, -26}})).SecondTone);
  EXPECT_FALSE(measure::MeasureChannel(Tones({{997, -6}, {50, -56}})).SecondTone);
}

} // namespace
