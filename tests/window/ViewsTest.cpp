// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum analyser and the oscilloscope fed by captured blocks.

#include <cmath>
#include <functional>
#include <numbers>

#include <QScreen>
#include <QTest>
#include <QToolButton>

#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

// What the window shows now.
QImage Screen(TForm1& f) {
  ProcessEvents(20);
  return f.screen()->grabWindow(f.winId()).toImage();
}

// The pixels of the bitmap, shown at the area, that the screen shows
// otherwise; pixels under skip are not compared.
int Differing(const QImage& screen, const Bitmap& bitmap, const Geometry::Area& area,
              const QRect& skip = {}) {
  int count = 0;
  for (int y = 0; y < bitmap.Height(); ++y)
    for (int x = 0; x < bitmap.Width(); ++x) {
      const QPoint at(x + area.Left, y + area.Top);
      if (!skip.contains(at)) count += FromQRgb(screen.pixel(at)) != bitmap.GetPixel(x, y);
    }
  return count;
}

// A tone on the centre of a bin.
std::function<int16_t(int)> Tone(int bin, double amplitude) {
  return [=](int i) {
    return static_cast<int16_t>(
        std::lround(amplitude * std::sin(std::numbers::pi * bin * i / 1024)));
  };
}

// A click on one of the up-down's arrows, pressed and released as the user does.
void Click(UpDown* upDown, Qt::ArrowType arrow) {
  for (QToolButton* button : upDown->findChildren<QToolButton*>())
    if (button->arrowType() == arrow) QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace

// Each block adds a stripe of Speed columns with the tone on its row; while
// STOP is down blocks draw nothing. A click on a scale arrow, pressed and
// released as the user does, shows its step when the button comes up: the
// Y scale's caption while running, the X scale's caption and picture while
// stopped. A redraw while stopped keeps the start the trigger found.
TEST(Views, BlocksDrawUntilStopAndAScaleClickShowsItsStep) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (CheckBox* box : {f.RCnl, f.Scope, f.Sync, f.AutoSensitivity})
    box->SetChecked(true);
  f.ScopeXW->SetPosition(49);
  f.ScopeYW->SetPosition(-180);
  w.ShowAndActivate();
  // 20000 on bin 128 (3 kHz, 16 samples per period) on the right, falling
  // first: the trigger starts the trace at sample 8.
  const auto block = MakeBlock([](int) { return int16_t{0}; }, Tone(128, -20000));
  w.Feed(block);
  Click(f.ScopeYW, Qt::DownArrow);
  EXPECT_EQ(f.LabelY->Caption(), QStringLiteral("-0.0 dB")); // -181
  w.Feed(block);
  const Bitmap& display = *f.DisplayBitmap;
  for (int x = 1001; x <= 1010; ++x) // speed 5, bin 128 at row 512 - 128 / 2
    EXPECT_EQ(display.GetPixel(x, 448), clWhite) << x;
  EXPECT_EQ(display.GetPixel(1000, 448), clBlack);
  EXPECT_EQ(display.GetPixel(1010, 100), clBlack);

  f.BtnStop->click();
  const QImage picture = display.Image().copy();
  const QImage trace = f.ScopeBitmap->Image().copy();
  w.Feed(MakeBlock([](int) { return int16_t{0}; }, [](int) { return int16_t{0}; }));
  EXPECT_EQ(display.Image(), picture);
  Click(f.ScopeYW, Qt::DownArrow); // at its end: no step, a redraw
  EXPECT_EQ(f.ScopeBitmap->Image(), trace);

  ASSERT_TRUE(f.ScopeXW->isEnabled());
  Click(f.ScopeXW, Qt::RightArrow);
  EXPECT_EQ(f.ScopeXW->Position(), 50);
  EXPECT_EQ(f.LabelX->Caption(), QStringLiteral("X Scale: 50"));
  EXPECT_NE(f.ScopeBitmap->Image(), trace);
  // Points 45 pixels apart: sample 10, 14142, at y = 100 + 43.
  EXPECT_EQ(f.ScopeBitmap->GetPixel(45, 143), clFuchsia);
}

// Where the views change, the window repaints only part of them: the
// display's picture scrolls and gets only its new columns, the oscilloscope
// only the rows that changed. After blocks of changing tones the screen shows
// both bitmaps pixel for pixel, on both sides of the ruler.
TEST(Views, TheScreenShowsTheBitmapsAfterPartialRepaints) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (CheckBox* box : {f.RCnl, f.Ruler, f.Scope, f.Sync})
    box->SetChecked(true);
  f.Speed->SetPosition(9);
  f.ScopeYW->SetPosition(-181);
  w.ShowAndActivate();
  f.RulerPanel->move(500, f.RulerPanel->y());
  for (int block = 0; block < 12; ++block)
    w.Feed(MakeBlock([](int) { return int16_t{0}; },
                     Tone(16 * (block / 3 + 1), (block % 3 + 1) * 8000)));
  const QImage screen = Screen(f);
  EXPECT_EQ(Differing(screen, *f.DisplayBitmap, Geometry::Display, f.RulerPanel->geometry()), 0);
  EXPECT_EQ(Differing(screen, *f.ScopeBitmap, Geometry::Scope, f.RulerPanel->geometry()), 0);
}

// The amplitude trace hands the window the pixels its lines cover whichever
// way they run: after RESET the right channel sweeps up from the corner, the
// left down, both at changing levels, and the screen shows every pixel of
// the trace, fuchsia for the right channel and aqua for the left. Both
// areas' frames are shadow along the top and left, white along the bottom
// and right, to their corner pixels.
TEST(Views, AmplitudeTraceSweepsReachTheScreenInTheirChannelColours) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (CheckBox* box : {f.RCnl, f.LCnl, f.SpectralAmp})
    box->SetChecked(true);
  f.dB30->SetChecked(true);
  f.LineMode->SetChecked(true);
  w.ShowAndActivate();
  f.BtnReset->click();
  for (int block = 0; block < 24; ++block) {
    const double level = 32767 * (0.2 + 0.25 * (block % 4));
    w.Feed(MakeBlock(Tone(140 - 4 * block, level), Tone(20 + 4 * block, 32767 - level)));
  }
  const QImage screen = Screen(f);
  EXPECT_EQ(Differing(screen, *f.DisplayBitmap, Geometry::Display), 0);
  int right = 0, left = 0;
  for (int y = 0; y < 493; ++y)
    for (int x = 0; x < 200; ++x) {
      right += f.DisplayBitmap->GetPixel(x, y) == clFuchsia;
      left += f.DisplayBitmap->GetPixel(x, y) == clAqua;
    }
  EXPECT_GT(right, 200);
  EXPECT_GT(left, 200);
  EXPECT_EQ(f.DisplayBitmap->GetPixel(0, 492), clFuchsia);

  const QRgb shadow = ToQColor(clBtnShadow).rgb(), white = qRgb(255, 255, 255);
  const std::pair<QPoint, QRgb> frame[] = {
      {{2, 0}, shadow},   {{1013, 0}, shadow},  {{692, 520}, shadow}, {{692, 720}, shadow},
      {{1013, 1}, white}, {{1013, 513}, white}, {{1013, 720}, white}, {{694, 720}, white}};
  for (const auto& [at, colour] : frame)
    EXPECT_EQ(screen.pixel(at), colour) << at.x() << "," << at.y();
}

// On the Log scale every click on a Sensitivity arrow moves a steady tone's
// grey the way the arrow points, the first click and the first after a
// reversal too.
TEST(Views, EachSensitivityClickMovesTheGreyItsArrowsWay) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.fLog->SetChecked(true);
  f.Sensitivity->SetPosition(5);
  w.ShowAndActivate();
  const auto grey = [&] {
    w.Feed(MakeBlock([](int) { return int16_t{0}; }, Tone(128, 20000)));
    return f.DisplayBitmap->GetPixel(1010, 448) & 0xFF; // bin 128 at 0..24 kHz
  };
  std::vector<int> greys{static_cast<int>(grey())};
  for (Qt::ArrowType arrow : {Qt::UpArrow, Qt::UpArrow, Qt::DownArrow, Qt::UpArrow}) {
    Click(f.Sensitivity, arrow);
    greys.push_back(static_cast<int>(grey()));
  }
  EXPECT_LT(greys[0], greys[1]);
  EXPECT_LT(greys[1], greys[2]);
  EXPECT_GT(greys[2], greys[3]);
  EXPECT_LT(greys[3], greys[4]);
}
