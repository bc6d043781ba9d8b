// SPDX-License-Identifier: GPL-3.0-or-later
// The integer parser that the settings store and the spin edits use.

#include <gtest/gtest.h>

#include <QString>

#include "platform/IntParse.h"

namespace {
std::optional<int32_t> Parse(const char* text) {
  return ParseInteger(QString::fromLatin1(text));
}
} // namespace

TEST(IntParse, DecimalWithSignsAndLeadingBlanks) {
  EXPECT_EQ(Parse("0"), 0);
  EXPECT_EQ(Parse("992"), 992);
  EXPECT_EQ(Parse("-181"), -181);
  EXPECT_EQ(Parse("+7"), 7);
  EXPECT_EQ(Parse("007"), 7);
  EXPECT_EQ(Parse("   42"), 42);
  EXPECT_EQ(Parse("  -3"), -3);
}

TEST(IntParse, Hexadecimal) {
  EXPECT_EQ(Parse("$1F"), 31);
  EXPECT_EQ(Parse("$ff"), 255);
  EXPECT_EQ(Parse("0x1F"), 31);
  EXPECT_EQ(Parse("0X10"), 16);
  EXPECT_EQ(Parse("-$10"), -16);
  EXPECT_EQ(Parse("$7FFFFFFF"), 2147483647);
  // The whole 32-bit pattern reads as a negative number.
  EXPECT_EQ(Parse("$FFFFFFFF"), -1);
  EXPECT_EQ(Parse("$80000000"), INT32_MIN);
  EXPECT_EQ(Parse("1F"), std::nullopt);
  EXPECT_EQ(Parse("$G"), std::nullopt);
}

TEST(IntParse, TextThatIsNotAWholeNumber) {
  for (const char* text : {"", " ", "-", "+", "$", "0x", "abc", "1.5", "1,2", "1 ", "12a", "- 5",
                           "--5", "\t5", "1e3", "true"})
    EXPECT_EQ(Parse(text), std::nullopt) << '"' << text << '"';
}

TEST(IntParse, ValuesBeyond32BitsOverflow) {
  EXPECT_EQ(Parse("2147483647"), INT32_MAX);
  EXPECT_EQ(Parse("-2147483648"), INT32_MIN);
  for (const char* text :
       {"2147483648", "-2147483649", "4294967295", "4294967296", "99999999999",
        "18446744073709551617", "$100000000", "-$FFFFFFFF", "0x123456789ABCDEF0123"})
    EXPECT_EQ(Parse(text), std::nullopt) << text;
}
