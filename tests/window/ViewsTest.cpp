// The spectrum analyser and the oscilloscope fed by captured blocks.

#include <cmath>
#include <numbers>

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
