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
