// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumLibrary.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace {

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << '(' << c.r << ", " << c.g << ", " << c.b << ')';
}

Rgb Color(double level) {
  uint8_t r = 1, g = 1, b = 1;
  LevelToColor(r, g, b, level);
  return {r, g, b};
}

TEST(ColorComponent, RoundsTiesToEvenAndKeepsZeroWeightAtZero) {
  EXPECT_EQ(ColorComponent(1.0, 0.5), 128); // 127.5
  EXPECT_EQ(ColorComponent(3.0, 0.5), 382); // 382.5; its byte is 126
  EXPECT_EQ(ColorComponent(1.0, -0.5), -128);
  EXPECT_EQ(ColorComponent(0.3, 1.0), 76); // 76.5
  EXPECT_EQ(ColorComponent(1.0, 1.0), 255);
  EXPECT_EQ(ColorComponent(std::numeric_limits<double>::quiet_NaN(), 0.0), 0);
  EXPECT_EQ(ColorComponent(1e300, 1.0), std::numeric_limits<int>::max());
}

TEST(LevelToColor, Breakpoints) {
  EXPECT_EQ(Color(0), (Rgb{76, 0, 76}));
  EXPECT_EQ(Color(8000), (Rgb{0, 0, 196}));
  EXPECT_EQ(Color(11999), (Rgb{0, 170, 255}));
  EXPECT_EQ(Color(12000), (Rgb{0, 170, 255}));
  EXPECT_EQ(Color(14000), (Rgb{0, 255, 255}));
  EXPECT_EQ(Color(17000), (Rgb{0, 255, 128}));
  EXPECT_EQ(Color(20000), (Rgb{0, 255, 0}));
  EXPECT_EQ(Color(22000), (Rgb{128, 255, 0}));
  EXPECT_EQ(Color(24000), (Rgb{255, 255, 0}));
  EXPECT_EQ(Color(28000), (Rgb{255, 128, 0}));
  for (double level : {31999.0, 32000.0, 32500.25, 32767.0, 32767.99})
    EXPECT_EQ(Color(level), (Rgb{255, 0, 0})) << level;
}

TEST(LevelToColor, OutsideTheRangeIsBlack) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double level : {32768.0, 40000.0, -1.0, -5.5, -1e300, 1e300, nan})
    EXPECT_EQ(Color(level), (Rgb{0, 0, 0})) << level;
  // Between -1 and 0 the level truncates to 0: the first segment, slightly darker.
  EXPECT_EQ(Color(-0.5), (Rgb{76, 0, 76}));
  EXPECT_EQ(Color(-0.999), (Rgb{76, 0, 76}));
}

// The hue and brightness tables as data, interpolated in long double: segment from
// level `from` (weights `at`) to level `to` (weights `until`).
struct Segment {
  int from, to;
  long double at[3], until[3];
};
constexpr Segment Segments[] = {
    {0, 8000, {1, 0, 1}, {0, 0, 1}},      {8000, 14000, {0, 0, 1}, {0, 1, 1}},
    {14000, 20000, {0, 1, 1}, {0, 1, 0}}, {20000, 24000, {0, 1, 0}, {1, 1, 0}},
    {24000, 32000, {1, 1, 0}, {1, 0, 0}}, {32000, 32768, {1, 0, 0}, {1, 0, 0}},
};

TEST(LevelToColor, SweepFollowsTheTables) {
  int checked = 0;
  for (double level = -2.0; level < 32770.0; level += 0.73) {
    const auto t = static_cast<long>(std::trunc(level));
    Rgb got = Color(level);
    if (t < 0 || t > 32767) {
      ASSERT_EQ(got, (Rgb{0, 0, 0})) << level;
      continue;
    }
    const long double v = level;
    const long double brightness = t < 12000 ? 0.7L * v / 11999 + 0.3L : 1.0L;
    for (const Segment& s : Segments) {
      if (t < s.from || t >= s.to) continue;
      const long double f = (v - s.from) / (s.to - s.from);
      const int channel[3] = {got.r, got.g, got.b};
      for (int c = 0; c < 3; ++c) {
        const long double weight = s.at[c] + (s.until[c] - s.at[c]) * f;
        const long double exact = weight * brightness * 255;
        // Near a tie the double arithmetic may fall either side; elsewhere the
        // rounding is unambiguous.
        const long double fraction = exact - std::floor(exact);
        if (std::fabs(fraction - 0.5L) < 1e-6L) {
          EXPECT_TRUE(channel[c] == std::floor(exact) || channel[c] == std::ceil(exact)) << level;
        } else {
          EXPECT_EQ(channel[c], std::lround(exact)) << "level " << level << " channel " << c;
        }
        ++checked;
      }
    }
  }
  EXPECT_GT(checked, 130000);
}

} // namespace
