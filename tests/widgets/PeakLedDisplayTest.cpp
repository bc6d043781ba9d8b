// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include <QImage>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

#include "widgets/Cmp_PeakLedDisplay.h"

namespace {

// A black panel holding one meter set up as on the main window.
class WindowMeter : public testing::Test {
protected:
  void SetUp() override {
    panel = std::make_unique<QWidget>();
    SetPanelColor(Qt::black);
    panel->resize(270, 35);
    led = new TPeakLedDisplay(panel.get());
    led->setGeometry(14, 5, 250, 12);
    led->SetOrientation(loHorizontal);
    led->SetCtl3D(false);
    led->SetSpacing(-1);
    led->SetMax(32767);
    led->SetBlockACount(74);
    led->SetBlockBCount(6);
    led->SetBlockCCount(3);
    led->SetPeakColor(clRed);
  }

  void SetPanelColor(const QColor& color) {
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, color);
    panel->setPalette(p);
  }

  // Every pixel of block k (two columns, rows 2..9) has colour c.
  void ExpectBlock(int k, TColor c) const {
    const LedRect r = LedBlockRect(loHorizontal, k, 83, 250, 12, -1);
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x)
        ASSERT_EQ(led->Canvas().GetPixel(x, y), c) << "block " << k << " at " << x << "," << y;
  }

  std::unique_ptr<QWidget> panel;
  TPeakLedDisplay* led = nullptr;
};

TEST_F(WindowMeter, BackingFollowsTheControlsSize) {
  EXPECT_EQ(led->Canvas().Width(), 250);
  EXPECT_EQ(led->Canvas().Height(), 12);
  led->resize(100, 20);
  led->SetLevel({0, 0});
  EXPECT_EQ(led->Canvas().Width(), 100);
  EXPECT_EQ(led->Canvas().Height(), 20);
}

TEST_F(WindowMeter, LevelWithPeakOnThePixels) {
  led->SetLevel({16383, 30000});
  for (int k = 1; k <= 41; ++k)
    ExpectBlock(k, clLime);
  for (int k = 42; k <= 74; ++k)
    ExpectBlock(k, clGreen);
  ExpectBlock(75, clRed);
  for (int k = 76; k <= 80; ++k)
    ExpectBlock(k, clOlive);
  for (int k = 81; k <= 83; ++k)
    ExpectBlock(k, clMaroon);
  // Between blocks and around them the black panel shows.
  EXPECT_EQ(led->Canvas().GetPixel(3, 5), clBlack);
  EXPECT_EQ(led->Canvas().GetPixel(0, 5), clBlack);
  EXPECT_EQ(led->Canvas().GetPixel(249, 5), clBlack);
  EXPECT_EQ(led->Canvas().GetPixel(10, 1), clBlack);
  EXPECT_EQ(led->Canvas().GetPixel(10, 10), clBlack);
}

TEST_F(WindowMeter, FallingLevelDarkensBlocksAndPeakFollowsTheBar) {
  led->SetLevel({32767, 32767});
  ExpectBlock(83, clRed);
  ExpectBlock(75, clYellow);
  led->SetLevel({400, 700});
  ExpectBlock(1, clLime);
  ExpectBlock(2, clGreen);
  ExpectBlock(83, clMaroon);
  led->SetLevel({0, 0});
  ExpectBlock(1, clGreen);
}

TEST_F(WindowMeter, ColourChangeRedrawsAtOnce) {
  led->SetLevel({16383, 30000});
  led->SetActiveColor1(clAqua);
  ExpectBlock(1, clAqua);
  led->SetDeadColor3(clWhite);
  ExpectBlock(83, clWhite);
  led->SetPeakColor(clFuchsia);
  ExpectBlock(75, clFuchsia);
}

TEST_F(WindowMeter, OnePeakColorShowsAtTheNextLevel) {
  led->SetLevel({16383, 30000});
  led->SetOnePeakColor(false);
  EXPECT_FALSE(led->OnePeakColor());
  ExpectBlock(75, clRed);
  led->SetLevel({16383, 30000});
  ExpectBlock(75, clYellow);
}

TEST_F(WindowMeter, GeometricSettersRepaintEverything) {
  led->SetLevel({16383, 0});
  led->SetCtl3D(true);
  // Block 1's cell spans x = 0..3: shadow on its left edge, its top row.
  EXPECT_EQ(led->Canvas().GetPixel(0, 5), ColorToRGB(clBtnShadow));
  EXPECT_EQ(led->Canvas().GetPixel(1, 1), ColorToRGB(clBtnShadow));
  ExpectBlock(1, clLime);
  led->SetMax(16383 * 2);
  EXPECT_EQ(led->Canvas().GetPixel(LedBlockRect(loHorizontal, 41, 83, 250, 12, -1).left, 5),
            clLime);
  EXPECT_EQ(led->Canvas().GetPixel(LedBlockRect(loHorizontal, 42, 83, 250, 12, -1).left, 5),
            clGreen);
  led->SetCtl3D(false);
  EXPECT_EQ(led->Canvas().GetPixel(0, 5), clBlack);
}

TEST_F(WindowMeter, BackgroundIsTheParentsColour) {
  SetPanelColor(QColor(10, 20, 30));
  EXPECT_EQ(led->Canvas().GetPixel(0, 0), RGBColor(10, 20, 30));
  EXPECT_EQ(led->Canvas().GetPixel(3, 5), RGBColor(10, 20, 30));
}

TEST_F(WindowMeter, BlockCountsNeverFallBelowOne) {
  led->SetBlockACount(0);
  EXPECT_EQ(led->BlockACount(), 1);
  led->SetBlockACount(-5);
  EXPECT_EQ(led->BlockACount(), 1);
  led->SetBlockBCount(-1);
  led->SetBlockCCount(0);
  EXPECT_EQ(led->BlockBCount(), 1);
  EXPECT_EQ(led->BlockCCount(), 1);
  // Three blocks, each 250 div 3 + 1 - 2 = 82 pixels wide, at x = 1, 84, 167.
  led->SetLevel({32767, 0});
  EXPECT_EQ(led->Canvas().GetPixel(82, 5), clLime);
  EXPECT_EQ(led->Canvas().GetPixel(83, 5), clBlack);
  EXPECT_EQ(led->Canvas().GetPixel(165, 5), clYellow);
  EXPECT_EQ(led->Canvas().GetPixel(248, 5), clRed);
}

TEST_F(WindowMeter, NonPositiveMaxShowsAllDead) {
  led->SetMax(0);
  led->SetLevel({32767, 32767});
  ExpectBlock(1, clGreen);
  ExpectBlock(83, clMaroon);
  led->SetMax(-10);
  ExpectBlock(1, clGreen);
}

TEST_F(WindowMeter, PaintEventShowsTheBacking) {
  led->SetLevel({16383, 30000});
  const QImage shown = led->grab().toImage();
  ASSERT_EQ(shown.size(), QSize(250, 12));
  for (int y = 0; y < 12; ++y)
    for (int x = 0; x < 250; ++x)
      ASSERT_EQ(FromQRgb(shown.pixel(x, y)), led->Canvas().GetPixel(x, y)) << x << "," << y;
}

TEST(PeakLedDisplay, ConstructorValues) {
  TPeakLedDisplay led;
  EXPECT_EQ(led.width(), 30);
  EXPECT_EQ(led.height(), 200);
  EXPECT_EQ(led.Orientation(), loVertical);
  EXPECT_TRUE(led.Ctl3D());
  EXPECT_EQ(led.Spacing(), 2);
  EXPECT_EQ(led.Max(), 10);
  EXPECT_EQ(led.BlockACount(), 5);
  EXPECT_EQ(led.BlockBCount(), 3);
  EXPECT_EQ(led.BlockCCount(), 2);
  EXPECT_EQ(led.ActiveColor1(), clLime);
  EXPECT_EQ(led.ActiveColor2(), clYellow);
  EXPECT_EQ(led.ActiveColor3(), clRed);
  EXPECT_EQ(led.DeadColor1(), clGreen);
  EXPECT_EQ(led.DeadColor2(), clOlive);
  EXPECT_EQ(led.DeadColor3(), clMaroon);
  EXPECT_EQ(led.PeakColor(), clFuchsia);
  EXPECT_TRUE(led.OnePeakColor());
}

TEST(PeakLedDisplay, ConstructorValuesFramesAndBlocks) {
  const TColor shadow = ColorToRGB(clBtnShadow);
  const TColor highlight = ColorToRGB(clBtnHighlight);
  ASSERT_NE(shadow, highlight);
  TPeakLedDisplay led;
  led.SetLevel({6, 9});
  const Bitmap& c = led.Canvas();
  for (int b = 0; b < 10; ++b) {
    const int k = 10 - b;
    const TColor expected = k <= 6 ? (k <= 5 ? clLime : clYellow)
                                   : (k == 9 ? clFuchsia : (k <= 8 ? clOlive : clMaroon));
    for (int y = 20 * b + 1; y <= 20 * b + 16; ++y) {
      ASSERT_EQ(c.GetPixel(2, y), expected) << "block " << k << " y " << y;
      ASSERT_EQ(c.GetPixel(27, y), expected) << "block " << k << " y " << y;
      ASSERT_EQ(c.GetPixel(1, y), shadow) << "cell " << b << " y " << y;
      ASSERT_EQ(c.GetPixel(28, y), highlight) << "cell " << b << " y " << y;
    }
    for (int x = 2; x <= 27; ++x) {
      ASSERT_EQ(c.GetPixel(x, 20 * b), shadow) << "cell " << b << " x " << x;
      ASSERT_EQ(c.GetPixel(x, 20 * b + 17), highlight) << "cell " << b << " x " << x;
    }
  }
}

} // namespace
