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

// 23 kHz down to 1 kHz; the tops follow a running sum of 10.65 pixels, rounded.
TEST(RulerLabels, FullRangeInWholeKilohertz) {
  const auto labels = RulerLabels({.Ruler = true, .RB22K = true});
  ASSERT_EQ(labels.size(), 24u);
  EXPECT_EQ(Tops(labels),
            (std::vector<int>{13,  34,  56,  77,  98,  120, 141, 162, 184, 205, 226, 247,
                              269, 290, 311, 333, 354, 375, 397, 418, 439, 460, 482, 497}));
  EXPECT_EQ(labels[0].Text, QStringLiteral("-- 23  --"));
  EXPECT_EQ(labels[13].Text, QStringLiteral("-- 10  --"));
  EXPECT_EQ(labels[14].Text, QStringLiteral("--  9   --"));
  EXPECT_EQ(labels[23], (RulerLabel{7, 497, QStringLiteral("kHz")}));
}

// Half-kilohertz labels between ticks; the unit stays where it is.
TEST(RulerLabels, SixKilohertzInHalfSteps) {
  const auto labels = RulerLabels({.Ruler = true, .RB6K = true});
  ASSERT_EQ(labels.size(), 24u);
  EXPECT_EQ(Tops(labels),
            (std::vector<int>{13,  34,  56,  77,  99,  120, 141, 163, 184, 206, 227, 248,
                              270, 291, 313, 334, 355, 377, 398, 420, 441, 462, 484, 497}));
  const QString tick = QStringLiteral("--       --");
  EXPECT_EQ(labels[0].Text, tick);
  EXPECT_EQ(labels[1].Text, QStringLiteral("-- 5.5 --"));
  EXPECT_EQ(labels[3].Text, QStringLiteral("-- 5.0 --"));
  EXPECT_EQ(labels[21].Text, QStringLiteral("-- 0.5 --"));
  EXPECT_EQ(labels[22].Text, tick);
  EXPECT_EQ(labels[23], (RulerLabel{7, 497, QStringLiteral("kHz")}));
}

TEST(RulerLabels, LevelScalesStartAtZeroDecibels) {
  const auto ten = RulerLabels({.Ruler = true, .SpectralAmp = true, .dB10 = true});
  EXPECT_EQ(Tops(ten), (std::vector<int>{7, 53, 99, 145, 191, 238, 284, 330, 376, 422, 469}));
  EXPECT_EQ(ten[0].Text, QStringLiteral("0dB"));
  EXPECT_EQ(ten[10].Text, QStringLiteral("-10"));

  const auto sixty = RulerLabels({.Ruler = true, .SpectralAmp = true, .dB60 = true});
  ASSERT_EQ(sixty.size(), 31u);
  EXPECT_EQ(sixty[1], (RulerLabel{0, 22, QStringLiteral("-2")}));
  EXPECT_EQ(sixty[5], (RulerLabel{0, 84, QStringLiteral("-10")}));
  EXPECT_EQ(sixty[30], (RulerLabel{0, 469, QStringLiteral("-60")}));

  // No unit caption on the level scale, and no labels without the ruler.
  for (const RulerLabel& l : sixty)
    EXPECT_NE(l.Text, QStringLiteral("kHz"));
  EXPECT_TRUE(RulerLabels({.SpectralAmp = true, .dB60 = true}).empty());
}

// The text lies from its top down on the brush colour; the rows above the
// first label stay bare.
TEST(RulerLabels, DrawnAtTheirTops) {
  Bitmap canvas(34, 510);
  canvas.BrushColor = clBtnFace;
  DrawRulerLabels(canvas, RulerLabels({.Ruler = true, .RB22K = true}));
  const TColor face = ColorToRGB(clBtnFace);
  auto inked = [&](int top, int bottom) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < canvas.Width(); ++x)
        n += canvas.GetPixel(x, y) != face;
    return n;
  };
  EXPECT_EQ(inked(0, 13), 0);
  EXPECT_GT(inked(13, 34), 0);
  EXPECT_GT(inked(497, 510), 0); // "kHz"
}
