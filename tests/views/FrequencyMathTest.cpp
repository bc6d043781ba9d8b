// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <array>

#include "views/FrequencyMath.h"

// Equal neighbours read the bin centre; a larger neighbour pulls the reading
// toward it. Bin 0 and bin 1024 (whose neighbour 1025 is always 0) read nothing.
TEST(FrequencyMath, InterpolatesBetweenNeighbours) {
  std::array<double, 2049> v{};
  std::fill(v.begin(), v.begin() + 1025, 100.0);
  EXPECT_EQ(FrequencyCaption('R', *InterpolatedFrequency(v, 43)).ToString(),
            QStringLiteral("RFrq : 1008 Hz"));
  EXPECT_FALSE(InterpolatedFrequency(v, 0));
  EXPECT_FALSE(InterpolatedFrequency(v, 1024));
  EXPECT_FALSE(InterpolatedFrequency(v, 2048));
  v[9] = 1.0;
  v[11] = 2.0;
  EXPECT_DOUBLE_EQ(*InterpolatedFrequency(v, 10), 10.875 * 23.4375 - 11.7187);
  EXPECT_EQ(FrequencyCaption('L', 5.4).ToString(), QStringLiteral("LFrq :  5 Hz"));
}
