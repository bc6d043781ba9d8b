// Keyboard and screen-reader users: the Tab walk, keys on STOP and the
// up-downs, and what assistive technology is told of each control.

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"
#include "views/ScaleCaption.h"

namespace {

// Reading order: the boxes in the window's order, each column of the spectrum
// box top to bottom, the main panel left to right, the generator row by row.
const QStringList ReadingOrder =
    QStringLiteral(
        "ColorBox RB22K RB11K RB6K fLog fSqrt fLinear AutoSensitivity Sensitivity Filter "
        "Grid FFTMode cbWnd AutoFrqCount SpectralAmp LFBox Ruler Led Scope LCnl RCnl "
        "Speed BtnStop ScopeYW AutoYScale Sync ScopeXW ShowLevels Frq1 FrqG1 FrqV1 "
        "LcBox0 RcBox0 Frq2 FrqG2 FrqV2 LcBox1 RcBox1 Noise FrqVN LcBox2 RcBox2 AutoG "
        "FrqFrom FrqTo FrqVF FInc LcBox3 RcBox3 dB10 dB30 dB60 LineMode DotMode BtnReset")
        .split(' ');

// A running window with the right channel and the oscilloscope on.
struct Running : DeviceWindow {
  Running() {
    ShowAndActivate();
    form->RCnl->SetChecked(true);
    form->Scope->SetChecked(true);
    Feed(PeakBlock(0, 9000));
  }
  // The component that holds the focus (a spin edit for its text field).
  static QString Focused() {
    QWidget* focus = QApplication::focusWidget();
    return (qobject_cast<QLineEdit*>(focus) ? focus->parentWidget() : focus)->objectName();
  }
};

} // namespace

TEST(Keyboard, TabWalksEveryEnabledControlInReadingOrder) {
  Running w;
  QStringList expected, walked;
  for (const QString& name : ReadingOrder)
    if (w.form->findChild<QWidget*>(name)->isEnabled()) expected << name;
  // Some controls are off in this mode, so the walk has to skip them.
  ASSERT_LT(expected.size(), ReadingOrder.size());
  w.form->findChild<QWidget*>(expected.first())->setFocus(Qt::TabFocusReason);
  do {
    walked << w.Focused();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  } while (w.Focused() != expected.first() && walked.size() <= expected.size());
  EXPECT_EQ(walked.join(' ').toStdString(), expected.join(' ').toStdString());
}

TEST(Keyboard, SpaceOnStopDoesWhatAClickDoes) {
  Running byKey, byMouse;
  byKey.form->BtnStop->setFocus(Qt::TabFocusReason);
  QTest::keyClick(byKey.form->BtnStop, Qt::Key_Space);
  QTest::mouseClick(byMouse.form->BtnStop, Qt::LeftButton);
  ASSERT_TRUE(byKey.form->Stopped);
  EXPECT_TRUE(byKey.form->BtnStop->Down());
  for (int i = 0; i < ComponentCount; ++i)
    EXPECT_EQ(byKey.form->Component(i)->isEnabled(), byMouse.form->Component(i)->isEnabled())
        << Components[static_cast<size_t>(i)].Name;
  QTest::keyClick(byKey.form->BtnStop, Qt::Key_Space);
  EXPECT_FALSE(byKey.form->Stopped);
  EXPECT_TRUE(byKey.form->Led->isEnabled());
}

// The changing event shows the position before the step; the key's release
// runs the mouse-up, which shows the final one.
TEST(Keyboard, KeysStepTheScaleAndItsReleaseShowsTheFinalPosition) {
  Running w;
  TForm1& f = *w.form;
  QTest::mouseClick(f.BtnStop, Qt::LeftButton);
  f.ScopeYW->SetPosition(-20);
  f.ScopeYW->setFocus(Qt::TabFocusReason);
  for (const auto& [key, position] : {std::pair{Qt::Key_Up, -19}, std::pair{Qt::Key_PageDown, -29},
                                      std::pair{Qt::Key_Down, -30}}) {
    QTest::keyClick(f.ScopeYW, key);
    EXPECT_EQ(f.ScopeYW->Position(), position);
    EXPECT_EQ(f.LabelY->Caption().toStdString(), YScaleCaption(position).ToString().toStdString());
  }
}

TEST(Keyboard, ScreenReadersHearTheTablesNamesRolesAndTips) {
  DeviceWindow w;
  int stops = 0;
  for (const ComponentSpec& entry : Components) {
    if (entry.Access.TabOrder == 0) continue;
    ++stops;
    QWidget* control = w.form->Component(entry.Index);
    const QString caption = QString::fromUtf8(entry.Caption.data(), std::ssize(entry.Caption));
    const QString name =
        entry.Access.Name.empty()
            ? QString(caption).remove('&')
            : QString::fromUtf8(entry.Access.Name.data(), std::ssize(entry.Access.Name));
    const auto role = entry.Kind == ComponentKind::CheckBox      ? QAccessible::CheckBox
                      : entry.Kind == ComponentKind::RadioButton ? QAccessible::RadioButton
                      : entry.Kind == ComponentKind::UpDown      ? QAccessible::SpinBox
                      : entry.Kind == ComponentKind::SpinEdit    ? QAccessible::EditableText
                      : entry.Name == "BtnStop" ? QAccessible::CheckBox // a button that stays down
                                                : QAccessible::Button;
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(
        control->focusProxy() ? control->focusProxy() : control);
    SCOPED_TRACE(entry.Name);
    EXPECT_EQ(heard->text(QAccessible::Name).toStdString(), name.toStdString());
    EXPECT_EQ(heard->role(), role);
    EXPECT_EQ(heard->text(QAccessible::Description).toStdString(), entry.Access.ToolTip);
    EXPECT_FALSE(entry.Access.ToolTip.empty());
    for (QToolButton* arrow : control->findChildren<QToolButton*>())
      EXPECT_EQ(
          QAccessible::queryAccessibleInterface(arrow)->text(QAccessible::Name).section(' ', 0, -2),
          name);
  }
  EXPECT_EQ(stops, ReadingOrder.size());
}
