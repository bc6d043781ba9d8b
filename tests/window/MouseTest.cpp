// The mouse over the window, sent as real mouse events: the ruler's drag, the
// cursors over the display and the oscilloscope, the traces' drags, and the
// painting of the frames and the ruler.

#include <QSettings>
#include <QTest>

#include "platform/Cursors.h"
#include "tests/window/DeviceWindow.h"

namespace {

constexpr QPoint InDisplay(100, 100), InScope(900, 600), OffBoth(800, 516);

// A shown window with the oscilloscope on and a channel ticked, as after a block.
struct MouseWindow : DeviceWindow {
  MouseWindow() {
    form->Scope->SetChecked(true);
    form->RCnl->SetChecked(true);
    form->show();
    ProcessEvents();
    form->AnyChannel = true; // activation clears it until the next block
    SetScreenCursor(crDefault);
  }
  ~MouseWindow() { SetScreenCursor(crDefault); }
  void Move(QPoint p) { QTest::mouseMove(form.get(), p); }
};

} // namespace

TEST(Mouse, RulerFollowsThePointerAndIsClampedOnRelease) {
  MouseWindow w;
  TForm1& f = *w.form;
  f.Ruler->SetChecked(true);
  f.RulerPanel->show();
  ASSERT_EQ(f.RulerPanel->x(), 992);

  QTest::mousePress(f.PaintBox, Qt::LeftButton, {}, QPoint(10, 100));
  QTest::mouseMove(f.PaintBox, QPoint(-490, 100));
  EXPECT_EQ(f.RulerPanel->x(), 492);
  EXPECT_EQ(ScreenCursor(), crHSplit);
  QTest::mouseMove(f.PaintBox, QPoint(-600, 100));
  EXPECT_EQ(f.RulerPanel->x(), -118) << "no limit while moving";
  QTest::mouseRelease(f.PaintBox, Qt::LeftButton, {}, QPoint(10, 100));
  EXPECT_EQ(f.RulerPanel->x(), 2);

  QTest::mousePress(f.PaintBox, Qt::LeftButton, {}, QPoint(10, 100));
  QTest::mouseMove(f.PaintBox, QPoint(1100, 100));
  EXPECT_EQ(f.RulerPanel->x(), 1092);
  QTest::mouseRelease(f.PaintBox, Qt::LeftButton, {}, QPoint(10, 100));
  EXPECT_EQ(f.RulerPanel->x(), 992);

  f.SaveSettings();
  EXPECT_EQ(QSettings(SettingsFile(), QSettings::IniFormat).value("Veltrano/RP").toString(),
            QStringLiteral("992"));
}

TEST(Mouse, CursorsMarkTheDisplayTheOscilloscopeAndTheControls) {
  MouseWindow w;
  TForm1& f = *w.form;
  w.Move(InDisplay);
  EXPECT_EQ(ScreenCursor(), 1);
  w.Move(InScope);
  EXPECT_EQ(ScreenCursor(), 2);
  QTest::mousePress(w.form.get(), Qt::MiddleButton, {}, InScope);
  EXPECT_EQ(ScreenCursor(), 3) << "the grip at a button-down";
  QTest::mouseRelease(w.form.get(), Qt::MiddleButton, {}, InScope);
  EXPECT_EQ(ScreenCursor(), 2);
  w.Move(OffBoth);
  EXPECT_EQ(ScreenCursor(), crDefault);
  w.Move(InDisplay);
  QTest::mouseMove(f.Label4, QPoint(3, 3));
  EXPECT_EQ(ScreenCursor(), crDefault) << "a control gives the default back";
}

// The left trace follows a left drag wherever the pointer goes; the right
// trace follows a right drag only inside the oscilloscope. The first move
// inside unticks Sync.
TEST(Mouse, TraceDragsLeftAnywhereRightOnlyInsideTheOscilloscope) {
  MouseWindow w;
  TForm1& f = *w.form;
  f.Sync->SetChecked(true);
  w.Move(InScope);
  QTest::mousePress(w.form.get(), Qt::LeftButton, {}, InScope);
  EXPECT_TRUE(f.Drag.DragL);
  w.Move(InScope - QPoint(20, 0));
  EXPECT_FALSE(f.Sync->Checked());
  EXPECT_EQ(f.ScopeS.ScopeShiftL, -20);
  w.Move(QPoint(850, 400));
  EXPECT_EQ(f.ScopeS.ScopeShiftL, -50);
  QTest::mouseRelease(w.form.get(), Qt::LeftButton, {}, QPoint(850, 400));
  EXPECT_FALSE(f.Drag.DragL);

  w.Move(InScope);
  QTest::mousePress(w.form.get(), Qt::RightButton, {}, InScope);
  w.Move(InScope - QPoint(10, 0));
  EXPECT_EQ(f.ScopeS.ScopeShiftR, -10);
  w.Move(QPoint(850, 400));
  const int left = f.ScopeS.ScopeShiftR;
  EXPECT_FALSE(f.Drag.DragR);
  w.Move(QPoint(700, 400));
  EXPECT_EQ(f.ScopeS.ScopeShiftR, left);
  EXPECT_EQ(f.ScopeS.ScopeShiftL, -50);
  QTest::mouseRelease(w.form.get(), Qt::RightButton, {}, QPoint(700, 400));
}

// A release on a control reaches the window's handler once, in the control's
// own coordinates: (5, 5) lies in the display area, so the cursor stays.
TEST(Mouse, ReleaseOnAControlPassesItsOwnCoordinates) {
  MouseWindow w;
  TForm1& f = *w.form;
  w.Move(InDisplay);
  f.Drag.DragL = true;
  QTest::mouseClick(f.Label4, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(f.Drag.DragL);
  EXPECT_EQ(ScreenCursor(), 1);
}

// Both areas look sunken, and the ruler carries its labels at either size.
TEST(Mouse, FramesAndRulerArePainted) {
  MouseWindow w;
  TForm1& f = *w.form;
  f.Ruler->SetChecked(true);
  f.RB22K->SetChecked(true);
  f.RulerPanel->move(500, 1);
  f.RulerPanel->show();
  const QImage shot = f.grab().toImage();
  const QRgb white = qRgb(255, 255, 255), shadow = ToQColor(clBtnShadow).rgb();
  const QRgb face = ToQColor(clBtnFace).rgb();
  EXPECT_EQ(shot.pixel(1013, 300), white);
  EXPECT_EQ(shot.pixel(300, 513), white);
  EXPECT_EQ(shot.pixel(1, 300), shadow);
  EXPECT_EQ(shot.pixel(300, 0), shadow);
  EXPECT_EQ(shot.pixel(692, 600), shadow);
  EXPECT_EQ(shot.pixel(800, 720), white);
  // "kHz" at (7, 497) of the paint box, which lies at (501, 2).
  int ink = 0;
  for (int y = 499; y < 512; ++y)
    for (int x = 508; x < 530; ++x)
      ink += shot.pixel(x, y) != face;
  EXPECT_GT(ink, 0);

  f.RulerPanel->resize(21, 493);
  EXPECT_EQ(f.PaintBox->geometry(), QRect(1, 1, 19, 491));
}
