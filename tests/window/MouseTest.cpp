// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse over the window, sent as real mouse events.

#include <QTest>

#include "platform/Appearance.h"
#include "platform/Cursors.h"
#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {
constexpr QPoint InDisplay(100, 100), InScope(900, 600), OffBoth(800, 516);

// A shown window with the oscilloscope on and a channel ticked, as after a block.
struct MouseWindow : DeviceWindow {
  MouseWindow() {
    form->Scope->SetChecked(true);
    form->Ruler->SetChecked(true);
    form->show();
    ProcessEvents();
    form->RulerPanel->show();
    form->AnyChannel = true; // activation clears it until the next block
  }
  ~MouseWindow() { SetScreenCursor(crDefault); }
  void Move(QPoint p) { QTest::mouseMove(form.get(), p); }
};
} // namespace

// No limit while the ruler moves; 2..992 when it is let go.
TEST(Mouse, RulerFollowsThePointerAndIsClampedOnRelease) {
  MouseWindow w;
  TForm1& f = *w.form;
  auto drag = [&](int dx) {
    QTest::mousePress(f.PaintBox, Qt::LeftButton, {}, QPoint(10, 100));
    QTest::mouseMove(f.PaintBox, QPoint(10 + dx, 100));
    const int moved = f.RulerPanel->x();
    QTest::mouseRelease(f.PaintBox, Qt::LeftButton, {}, QPoint(10, 100));
    return moved;
  };
  EXPECT_EQ(drag(-1100), 992 - 1100);
  EXPECT_EQ(ScreenCursor(), crHSplit);
  EXPECT_EQ(f.RulerPanel->x(), 2);
  EXPECT_EQ(drag(1100), 1102);
  EXPECT_EQ(f.RulerPanel->x(), 992);
}

// A release on a control reaches the window's handler once, in the control's
// own coordinates: (5, 5) lies in the display area, so the cross-hairs stay.
TEST(Mouse, CursorsFollowTheAreasAndTheControls) {
  MouseWindow w;
  TForm1& f = *w.form;
  SetFontColor(f.RFrq, clFuchsia);
  const std::tuple<QPoint, int> path[] = {{InDisplay, 1}, {InScope, 2}, {OffBoth, 0}};
  for (const auto& [p, cursor] : path) {
    w.Move(p);
    EXPECT_EQ(ScreenCursor(), cursor) << p.x() << "," << p.y();
  }
  EXPECT_EQ(FontColorOf(f.RFrq), clBtnShadow) << "the readouts go idle off the display";
  w.Move(InDisplay);
  f.Drag.DragL = true;
  QTest::mouseClick(f.Label4, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(f.Drag.DragL);
  EXPECT_EQ(ScreenCursor(), 1);
  QTest::mouseMove(f.Label4, QPoint(3, 3));
  EXPECT_EQ(ScreenCursor(), crDefault);
}

// The left trace follows a left drag wherever the pointer goes; the right one
// only inside the oscilloscope. The first move inside unticks Sync.
TEST(Mouse, TraceDrags) {
  MouseWindow w;
  TForm1& f = *w.form;
  f.Sync->SetChecked(true);
  w.Move(InScope);
  QTest::mousePress(w.form.get(), Qt::LeftButton, {}, InScope);
  EXPECT_EQ(ScreenCursor(), 3);
  w.Move(InScope - QPoint(20, 0));
  EXPECT_FALSE(f.Sync->Checked());
  w.Move(QPoint(850, 400));
  EXPECT_EQ(f.ScopeS.ScopeShiftL, -50);
  QTest::mouseRelease(w.form.get(), Qt::LeftButton, {}, QPoint(850, 400));

  w.Move(InScope);
  QTest::mousePress(w.form.get(), Qt::RightButton, {}, InScope);
  w.Move(InScope - QPoint(10, 0));
  EXPECT_EQ(f.ScopeS.ScopeShiftR, -10);
  w.Move(QPoint(850, 400));
  const int shift = f.ScopeS.ScopeShiftR;
  w.Move(QPoint(700, 400));
  EXPECT_EQ(f.ScopeS.ScopeShiftR, shift);
  EXPECT_EQ(f.ScopeS.ScopeShiftL, -50);
  QTest::mouseRelease(w.form.get(), Qt::RightButton, {}, QPoint(700, 400));
}

// Both areas look sunken; the ruler carries its unit at (7, 497) at either size.
TEST(Mouse, FramesAndRulerArePainted) {
  MouseWindow w;
  TForm1& f = *w.form;
  f.RulerPanel->move(500, 1);
  const QImage shot = f.grab().toImage();
  EXPECT_EQ(shot.pixel(1013, 300), qRgb(255, 255, 255));
  EXPECT_EQ(shot.pixel(692, 600), ToQColor(clBtnShadow).rgb());
  int ink = 0;
  for (int y = 499; y < 512; ++y)
    for (int x = 508; x < 530; ++x)
      ink += shot.pixel(x, y) != ToQColor(clBtnFace).rgb();
  EXPECT_GT(ink, 0);
  f.RulerPanel->resize(21, 493);
  EXPECT_EQ(f.PaintBox->geometry(), QRect(1, 1, 19, 491));
}
