// SPDX-License-Identifier: GPL-3.0-or-later
// The LED meters' device menu and the "Devices" dialog: the devices the
// streams are on checked, repeated descriptions told apart by the name, long
// ones shortened with the whole text in the tooltip, a '&' shown as it is;
// both reached from the keyboard.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "app/DevicesDialog.h"
#include "tests/support/DeviceWindow.h"

namespace {

const std::string Long(300, 'x');

// Two sinks of one description, one far too long, one with a '&', one with none.
void ServerWithSinks(FakeWaveAudio& audio) {
  audio.ServerDevices[0] = {{"null1", "Null Output"},
                            {"null2", "Null Output"},
                            {"long", Long},
                            {"rock", "Rock & Roll"},
                            {"bare", ""}};
  audio.ServerDevices[1] = {{"null1.monitor", "Monitor of Null Output"}};
  audio.InUse[1] = "null1.monitor";
  audio.InUse[0] = "null2"; // moved there by the desktop, not chosen
}

// What the menu that a key opens shows: the items as the screen draws them,
// "*" before the checked ones, with their tooltips.
struct Shown {
  QStringList items, tips;
};
Shown MenuOpenedBy(QWidget* focus, const QKeySequence& keys) {
  // A menu closed before leaves no window active offscreen.
  focus->window()->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(focus->window()));
  focus->setFocus(Qt::TabFocusReason);
  Shown shown;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (QAction* action : menu->actions()) {
      shown.items << (action->isChecked() ? "*" : "") + action->iconText();
      shown.tips << action->toolTip();
    }
    menu->close();
  });
  QTest::keySequence(focus, keys);
  // The display's menu is not modal: the timer finds it once the keys are in.
  QTest::qWait(20);
  return shown;
}

} // namespace

TEST(DeviceMenu, TheMenuKeyOnTheMetersChecksTheDevicesTheStreamsAreOn) {
  DeviceWindow w(ServerWithSinks);
  w.ShowAndActivate();
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)}) {
    const Shown menu = MenuOpenedBy(w.form->PeakLedDisplay1, keys);
    EXPECT_EQ(menu.items.join('|').toStdString(),
              "Input|The server's default|*Monitor of Null Output|Output|The server's default|"
              "Null Output (null1)|*Null Output (null2)|" +
                  (QString(30, 'x') + "\u2026" + QString(29, 'x')).toStdString() +
                  "|Rock & Roll|bare||Devices\u2026");
    EXPECT_TRUE(menu.tips.contains(QString::fromStdString(Long + " (long)")));
  }
  // Elsewhere the keys open the display's menu.
  const Shown display = MenuOpenedBy(w.form->ColorBox, QKeySequence(Qt::Key_Menu));
  EXPECT_EQ(display.items.value(0).toStdString(), "Measurements");
}

TEST(DeviceMenu, CtrlDShowsTheDevicesInUseAndChoosesAnother) {
  DeviceWindow w(ServerWithSinks);
  w.ShowAndActivate();
  QTest::keySequence(w.form.get(), QKeySequence(Qt::CTRL | Qt::Key_D));
  ASSERT_NE(w.form->Devices, nullptr);
  ASSERT_TRUE(w.form->Devices->isVisible());
  QComboBox* output = w.form->Devices->Box(false);
  EXPECT_EQ(output->currentText().toStdString(), "Null Output (null2)");
  EXPECT_EQ(w.form->Devices->Box(true)->currentText().toStdString(), "Monitor of Null Output");
  output->setCurrentIndex(output->findText(QStringLiteral("Rock & Roll")));
  w.form->Devices->accept();
  EXPECT_EQ(w.audio->Chosen[0], "rock");
  EXPECT_EQ(w.audio->Chosen[1], ""); // the input left as it was
}
