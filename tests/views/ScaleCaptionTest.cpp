// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "views/ScaleCaption.h"

// The caption names the level of the oscilloscope's full height; the square
// of the position is a 16-bit value.
TEST(ScaleCaption, NamesTheFullHeightLevel) {
  EXPECT_EQ(YScaleCaption(-181).ToString(), QStringLiteral("-0.0 dB"));
  EXPECT_EQ(YScaleCaption(-100).ToString(), QStringLiteral("-10.3 dB"));
  EXPECT_EQ(YScaleCaption(-1).ToString(), QStringLiteral("-90.3 dB"));
}
