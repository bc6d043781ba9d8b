// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum window's long transforms: a tone's level and frequency at
// every transform size and window, the flat-top's level between the bins,
// the two channels apart, and the overlap's count of transforms.
#include "measure/LongSpectrum.h"

#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

namespace {

using measure::LongSpectrum;
using measure::WindowKind;

constexpr double Rate = 48000;

std::vector<int16_t> Tone(double hz, double amplitude, std::size_t frames) {
  std::vector<int16_t> s(frames);
  for (std::size_t i = 0; i < frames; ++i)
    s[i] = int16_t(std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * double(i) / Rate)));
  return s;
}

double Db(double power) {
  return 10 * std::log10(power);
}

struct Last {
  std::vector<double> Left, Right;
  int Count = 0;
};

// Feeds the signals in blocks of 2048 frames as the capture hands them and
// keeps the latest spectra.
Last FeedAll(LongSpectrum& spectrum, const std::vector<int16_t>& left,
             const std::vector<int16_t>& right) {
  Last last;
  for (std::size_t at = 0; at < left.size(); at += 2048) {
    const std::size_t n = std::min<std::size_t>(2048, left.size() - at);
    last.Count += spectrum.Add({left.data() + at, n}, {right.data() + at, n},
                               [&](std::span<const double> l, std::span<const double> r) {
                                 last.Left.assign(l.begin(), l.end());
                                 last.Right.assign(r.begin(), r.end());
                               });
  }
  return last;
}

// Off the bins by a fraction of each size's bin, at -6.02 dBFS: the peak's
// interpolated level and frequency.
TEST(LongSpectrum, ToneLevelAndFrequencyAtEverySizeAndWindow) {
  for (std::size_t size = 2048; size <= 65536; size *= 2)
    for (const WindowKind window : measure::WindowKinds) {
      LongSpectrum spectrum(Rate);
      spectrum.Configure({size, window, 1});
      const double hz = 997.0 + 0.37 * spectrum.BinHz();
      const Last last = FeedAll(spectrum, Tone(hz, 16384, size), Tone(hz, 0, size));
      ASSERT_EQ(last.Count, 1);
      ASSERT_EQ(last.Left.size(), size / 2 + 1);
      const measure::SpectrumPeak peak = measure::FindPeak(last.Left, window, spectrum.BinHz());
      const double levelTolerance = window == WindowKind::Rectangular ? 0.05 : 0.01;
      EXPECT_NEAR(Db(peak.Power), -6.02, levelTolerance) << size << " " << WindowName(window);
      EXPECT_NEAR(peak.FrequencyHz, hz, 0.01 * spectrum.BinHz())
          << size << " " << WindowName(window);
      EXPECT_LT(Db(last.Right[100]), -300); // the other channel silent
    }
}

// The flat-top reads a tone on a bin's centre and one half a bin away within
// 0.1 dB in its highest bin, with no interpolation; a Hann window does not.
TEST(LongSpectrum, FlatTopLevelBetweenTheBins) {
  const auto highest = [](WindowKind window, double offset) {
    LongSpectrum spectrum(Rate);
    spectrum.Configure({8192, window, 1});
    const double hz = (170 + offset) * spectrum.BinHz();
    const Last last = FeedAll(spectrum, Tone(hz, 3276.8, 8192), Tone(hz, 3276.8, 8192));
    return Db(*std::max_element(last.Left.begin(), last.Left.end()));
  };
  EXPECT_NEAR(highest(WindowKind::FlatTop, 0), -20, 0.01);
  EXPECT_NEAR(highest(WindowKind::FlatTop, 0.5), -20, 0.1);
  EXPECT_NEAR(highest(WindowKind::Hann, 0), -20, 0.01);
  EXPECT_LT(highest(WindowKind::Hann, 0.5), -21);
}

// Left and right through one transform: each keeps its own tone.
TEST(LongSpectrum, ChannelsStayApart) {
  LongSpectrum spectrum(Rate);
  spectrum.Configure({4096, WindowKind::BlackmanNuttall, 1});
  const Last last = FeedAll(spectrum, Tone(1500, 10000, 4096), Tone(6000, 1000, 4096));
  const std::size_t low = 128, high = 512; // 1500 Hz and 6000 Hz lie on these bins
  EXPECT_NEAR(Db(last.Left[low]), 20 * std::log10(10000 / 32768.0), 0.01);
  EXPECT_NEAR(Db(last.Right[high]), 20 * std::log10(1000 / 32768.0), 0.01);
  EXPECT_LT(Db(last.Left[high]), -130);
  EXPECT_LT(Db(last.Right[low]), -130);
}

// A transform for every hop of new frames once a whole transform is held.
TEST(LongSpectrum, OverlapSetsTheHop) {
  struct Case {
    std::size_t Size;
    int Hops;
    std::size_t Frames;
    int Transforms;
  };
  const Case cases[] = {{2048, 1, 8192, 4},  {2048, 2, 8192, 7},   {8192, 4, 8192, 1},
                        {8192, 4, 16384, 5}, {65536, 2, 65536, 1}, {65536, 2, 131072, 3},
                        {3000, 1, 8192, 2},  {65536, 99, 2048, 0}, {4096, 0, 8192, 2}};
  for (const Case& c : cases) {
    LongSpectrum spectrum(Rate);
    spectrum.Configure({c.Size, WindowKind::Hann, c.Hops});
    const std::vector<int16_t> silence(c.Frames);
    EXPECT_EQ(FeedAll(spectrum, silence, silence).Count, c.Transforms) << c.Size << " " << c.Hops;
  }
}

} // namespace
