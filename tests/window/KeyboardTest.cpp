// SPDX-License-Identifier: GPL-3.0-or-later
// Keyboard and screen-reader users: the Tab walk, keys on STOP and the
// up-downs, and what assistive technology is told of each control.

#include <cmath>

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include "app/MeasurementWindow.h"
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
        "FrqFrom FrqTo FrqVF FInc LcBox3 RcBox3 dB10 dB30 dB60 LineMode DotMode BtnReset "
        "PeakLedDisplay1 PeakLedDisplay2")
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
    const auto role = entry.Kind == ComponentKind::CheckBox         ? QAccessible::CheckBox
                      : entry.Kind == ComponentKind::RadioButton    ? QAccessible::RadioButton
                      : entry.Kind == ComponentKind::UpDown         ? QAccessible::SpinBox
                      : entry.Kind == ComponentKind::SpinEdit       ? QAccessible::SpinBox
                      : entry.Kind == ComponentKind::PeakLedDisplay ? QAccessible::ProgressBar
                                                                    : QAccessible::Button;
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(control);
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

// What a screen reader hears of each control that shows a value: its role,
// name and the value as the screen shows it, with its unit.
TEST(Keyboard, ScreenReadersHearTheValueTheScreenShows) {
  Running w;
  TForm1& f = *w.form;
  f.ScopeYW->SetPosition(-1);
  f.ScopeYW->setFocus(Qt::TabFocusReason);
  QTest::keyClick(f.ScopeYW, Qt::Key_PageDown);
  f.FrqG1->SetText(QStringLiteral("1234"));
  f.Led->SetChecked(true);
  w.Feed(PeakBlock(0, 9000));
  const struct {
    QWidget* control;
    QAccessible::Role role;
    const char* name;
    QString value;
    double number, minimum, maximum;
  } heard[] = {
      {&f, QAccessible::Window, "Veltrano", "", 0, 0, 0},
      {f.BtnStop, QAccessible::Button, "Stop", "", 0, 0, 0},
      // The up-downs read out their caption, not their position.
      {f.ScopeYW, QAccessible::SpinBox, "Y scale", YScaleCaption(-11).ToString(), -11, -181, -1},
      {f.Sensitivity, QAccessible::SpinBox, "Sensitivity", QStringLiteral("1%"), 5, 1, 100},
      {f.FrqG1, QAccessible::SpinBox, "Tone f1 frequency", "1234", 1234, 1, 24000},
      // The block peaks at 0 on the left and 9000 on the right.
      {f.PeakLedDisplay1, QAccessible::ProgressBar, "Left level", "-90.3 dBFS", -90.3, -90.3, 0},
      {f.PeakLedDisplay2, QAccessible::ProgressBar, "Right level", "-11.2 dBFS", -11.2, -90.3, 0},
  };
  for (const auto& want : heard) {
    SCOPED_TRACE(want.name);
    QAccessibleInterface* heard = QAccessible::queryAccessibleInterface(want.control);
    EXPECT_EQ(heard->role(), want.role);
    EXPECT_EQ(heard->text(QAccessible::Name).toStdString(), want.name);
    EXPECT_EQ(heard->text(QAccessible::Value).toStdString(), want.value.toStdString());
    // Read as text too, in the screen reader's review of the window.
    if (QAccessibleTextInterface* text = heard->textInterface()) {
      EXPECT_EQ(text->text(0, text->characterCount()).toStdString(), want.value.toStdString());
    }
    if (QAccessibleValueInterface* value = heard->valueInterface()) {
      EXPECT_NEAR(value->currentValue().toDouble(), want.number, 0.05);
      EXPECT_NEAR(value->minimumValue().toDouble(), want.minimum, 0.05);
      EXPECT_NEAR(value->maximumValue().toDouble(), want.maximum, 0.05);
    } else {
      EXPECT_TRUE(want.role == QAccessible::Window || want.role == QAccessible::Button);
    }
  }
  // A number typed in by the screen reader lands in the edit.
  QAccessible::queryAccessibleInterface(f.FrqG1)->valueInterface()->setCurrentValue(440);
  EXPECT_EQ(f.FrqG1->Text().toStdString(), "440");
  // STOP stays down when pressed: a toggle button, pressed or not, that the
  // screen reader's press action works as a click does.
  QAccessibleInterface* stop = QAccessible::queryAccessibleInterface(f.BtnStop);
  EXPECT_TRUE(stop->state().checkable && !stop->state().checked && !stop->state().pressed);
  stop->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_TRUE(f.Stopped && stop->state().checked && stop->state().pressed);
}

// The figures of the "Measurements" window read as the window shows them;
// Escape closes it.
TEST(Keyboard, MeasurementFiguresReadAsShownAndEscapeClosesTheirWindow) {
  Running w;
  MeasurementWindow& m = *w.form->Measurements;
  QTest::keyClick(w.form.get(), Qt::Key_F2);
  ASSERT_TRUE(m.isVisible());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(&m)->role(), QAccessible::Window);
  for (int i = 0; i < 24; ++i)
    w.Feed(MakeBlock([](int n) { return static_cast<int16_t>(8000 * std::sin(n * 0.1309)); },
                     [](int n) { return static_cast<int16_t>(4000 * std::sin(n * 0.1309)); }));
  const QString shown = m.Figure(QStringLiteral("Right"), QStringLiteral("rms_dbfs"));
  ASSERT_NE(shown.toStdString(), "\u2014");
  auto* label = m.findChild<QWidget*>(QStringLiteral("Right/rms_dbfs"));
  QAccessibleInterface* figure = QAccessible::queryAccessibleInterface(label);
  EXPECT_EQ(figure->role(), QAccessible::StaticText);
  EXPECT_TRUE(figure->text(QAccessible::Name).startsWith(QStringLiteral("Right ")));
  EXPECT_EQ(figure->text(QAccessible::Value), shown);
  QAccessibleTextInterface* text = figure->textInterface();
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->text(0, text->characterCount()), shown);
  QTest::keyClick(&m, Qt::Key_Escape);
  EXPECT_FALSE(m.isVisible());
}
