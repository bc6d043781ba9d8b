// The spectrum analyser and the oscilloscope fed by captured blocks.

#include <cmath>
#include <numbers>

#include <QScreen>

#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

// Each block adds a stripe of Speed columns with the tone on its row; while
// STOP is down blocks draw nothing, and a step of ScopeXW redraws the frozen
// block, with the new scale once the button is released.
TEST(Views, BlocksDrawUntilStopAndTheScopeRescalesWhileStopped) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (CheckBox* box : {f.RCnl, f.Scope, f.AutoSensitivity})
    box->SetChecked(true);
  f.ScopeXW->SetPosition(25);
  f.ScopeYW->SetPosition(-181);
  // 20000 on bin 128 (3 kHz, 16 samples per period) on the right.
  w.Feed(MakeBlock([](int) { return int16_t{0}; },
                   [](int i) {
                     return static_cast<int16_t>(
                         std::lround(20000 * std::sin(std::numbers::pi * i / 8)));
                   }));
  const Bitmap& display = *f.DisplayBitmap;
  for (int x = 1006; x <= 1010; ++x) // speed 5, bin 128 at row 512 - 128 / 2
    EXPECT_EQ(display.GetPixel(x, 448), clWhite) << x;
  EXPECT_EQ(display.GetPixel(1005, 448), clBlack);
  EXPECT_EQ(display.GetPixel(1010, 100), clBlack);

  f.BtnStop->click();
  const QImage picture = display.Image().copy();
  const QImage trace = f.ScopeBitmap->Image().copy();
  w.Feed(MakeBlock([](int) { return int16_t{0}; }, [](int) { return int16_t{0}; }));
  EXPECT_EQ(display.Image(), picture);

  ASSERT_TRUE(f.ScopeXW->isEnabled());
  f.ScopeXW->Step(+25); // to 50; the changing event still sees 25
  EXPECT_EQ(f.ScopeBitmap->Image(), trace);
  f.ScopeXWMouseUp(f.ScopeXW, Qt::LeftButton, {}, 0, 0);
  EXPECT_EQ(f.LabelX->Caption(), QStringLiteral("X Scale: 50"));
  // Points 45 pixels apart: sample 2, 14142, at y = 100 + 43.
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
                     [=](int i) {
                       return static_cast<int16_t>(
                           std::lround((block % 3 + 1) * 8000 *
                                       std::sin(std::numbers::pi * (block / 3 + 1) * i / 64)));
                     }));
  ProcessEvents(20);
  const QImage screen = f.screen()->grabWindow(f.winId()).toImage();
  const QRect ruler = f.RulerPanel->geometry();
  const auto differing = [&](const Bitmap& bitmap, const Geometry::Area& area) {
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
      for (int x = 0; x < bitmap.Width(); ++x) {
        const QPoint at(x + area.Left, y + area.Top);
        if (!ruler.contains(at)) count += FromQRgb(screen.pixel(at)) != bitmap.GetPixel(x, y);
      }
    return count;
  };
  EXPECT_EQ(differing(*f.DisplayBitmap, Geometry::Display), 0);
  EXPECT_EQ(differing(*f.ScopeBitmap, Geometry::Scope), 0);
}
