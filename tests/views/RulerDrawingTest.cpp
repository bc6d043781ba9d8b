// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include "views/RulerDrawing.h"

namespace {
std::vector<int> Tops(const std::vector<RulerLabel>& labels) {
  std::vector<int> tops;
  for (const RulerLabel& l : labels)
    tops.push_back(l.Top);
  return tops;
}
} // namespace

// The tops follow a running sum of 10.65 pixels, rounded; the unit closes the list.
TEST(RulerLabels, FullFrequencyRange) {
  const auto labels = RulerLabels({.Ruler = true, .RB22K = true});
  EXPECT_EQ(Tops(labels),
            (std::vector<int>{13,  34,  56,  77,  98,  120, 141, 162, 184, 205, 226, 247,
                              269, 290, 311, 333, 354, 375, 397, 418, 439, 460, 482, 497}));
  EXPECT_EQ(labels[0].Text, QStringLiteral("-- 23  --"));
  EXPECT_EQ(labels[14].Text, QStringLiteral("--  9   --"));
  EXPECT_EQ(labels[23], (RulerLabel{7, 497, QStringLiteral("kHz")}));
}

TEST(RulerLabels, TenDecibelRange) {
  const auto labels = RulerLabels({.Ruler = true, .SpectralAmp = true, .dB10 = true});
  EXPECT_EQ(Tops(labels), (std::vector<int>{7, 53, 99, 145, 191, 238, 284, 330, 376, 422, 469}));
  EXPECT_EQ(labels[0].Text, QStringLiteral("0dB"));
  EXPECT_EQ(labels[10].Text, QStringLiteral("-10"));
}

// Each of the six scales: its number of labels and, at some of them, the
// top and the text.
TEST(RulerLabels, TextsOfEveryScale) {
  struct Label {
    size_t Index;
    int Top;
    const char* Text;
  };
  const std::tuple<RulerChoice, size_t, std::vector<Label>> scales[] = {
      {{.Ruler = true, .RB22K = true}, 24, {{0, 13, "-- 23  --"}, {22, 482, "--  1   --"}}},
      {{.Ruler = true, .RB11K = true},
       24,
       {{0, 13, "--       --"},
        {1, 34, "-- 11  --"},
        {3, 77, "-- 10  --"},
        {21, 462, "--  1   --"},
        {22, 484, "--       --"},
        {23, 497, "kHz"}}},
      {{.Ruler = true, .RB6K = true},
       24,
       {{1, 34, "-- 5.5 --"},
        {3, 77, "-- 5.0 --"},
        {19, 420, "-- 1.0 --"},
        {21, 462, "-- 0.5 --"}}},
      {{.Ruler = true, .SpectralAmp = true, .dB10 = true}, 11, {{1, 53, "-1"}, {10, 469, "-10"}}},
      {{.Ruler = true, .SpectralAmp = true, .dB30 = true},
       31,
       {{0, 7, "0dB"}, {1, 22, "-1"}, {2, 38, "-2"}, {30, 469, "-30"}}},
      {{.Ruler = true, .SpectralAmp = true, .dB60 = true},
       31,
       {{1, 22, "-2"}, {2, 38, "-4"}, {30, 469, "-60"}}},
  };
  for (const auto& [choice, count, expected] : scales) {
    const auto labels = RulerLabels(choice);
    ASSERT_EQ(labels.size(), count) << expected.front().Text;
    for (const Label& l : expected) {
      EXPECT_EQ(labels[l.Index].Top, l.Top) << l.Text;
      EXPECT_EQ(labels[l.Index].Text, QString::fromLatin1(l.Text));
    }
  }
}
