#include <gtest/gtest.h>

#include <array>

#include "views/FrequencyMath.h"

namespace {
std::array<double, 2049> Spectrum() {
  std::array<double, 2049> v{};
  for (int k = 0; k <= 1024; ++k)
    v[static_cast<std::size_t>(k)] = 100.0;
  return v;
}
} // namespace

// Equal neighbours read the bin centre; a larger neighbour pulls the reading
// toward it by the square of the neighbours' ratio.
TEST(FrequencyMath, InterpolatesTowardTheLargerNeighbour) {
  auto v = Spectrum();
  EXPECT_EQ(FrequencyCaption('R', *InterpolatedFrequency(v, 43)), QStringLiteral("RFrq : 1008 Hz"));
  EXPECT_DOUBLE_EQ(*InterpolatedFrequency(v, 43), 43 * 23.4375 + 0.00005);

  v[9] = 1.0;
  v[11] = 2.0;
  EXPECT_DOUBLE_EQ(*InterpolatedFrequency(v, 10), 10.875 * 23.4375 - 11.7187);
  v[9] = 2.0;
  v[11] = 1.0;
  EXPECT_DOUBLE_EQ(*InterpolatedFrequency(v, 10), 10.125 * 23.4375 - 11.7187);
}

// Bin 0, a zero neighbour (bin 1024 meets the always-zero bin 1025) and a bin
// without two neighbours read nothing.
TEST(FrequencyMath, NoReadingWithoutTwoNonZeroNeighbours) {
  auto v = Spectrum();
  EXPECT_FALSE(InterpolatedFrequency(v, 0));
  EXPECT_FALSE(InterpolatedFrequency(v, 1024));
  EXPECT_FALSE(InterpolatedFrequency(v, 2048));
  EXPECT_FALSE(InterpolatedFrequency(v, 60000));
  v[99] = 1e-300;
  v[101] = 1e300; // a / b underflows to 0
  EXPECT_FALSE(InterpolatedFrequency(v, 100));
}

TEST(FrequencyMath, CaptionAndColumns) {
  EXPECT_EQ(FrequencyCaption('L', 5.4), QStringLiteral("LFrq :  5 Hz"));
  EXPECT_EQ(FrequencyCaption('R', 19999.5), QStringLiteral("RFrq : 20000 Hz"));
  EXPECT_EQ(BinAtColumn(219, true), 43);
  EXPECT_EQ(BinAtColumn(219, false), 219);
}
