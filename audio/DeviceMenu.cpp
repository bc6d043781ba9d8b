// SPDX-License-Identifier: GPL-3.0-or-later
// The right-click menu of the LED meters: the server's sources and sinks, the
// ones the streams are on checked; a choice moves the stream at once and is
// remembered with the settings. The "Devices" dialog offers the same choice.

#include <QActionGroup>
#include <QMenu>

#include "app/DeviceLabels.h"
#include "app/Main.h"
#include "platform/PrintableText.h"

void TForm1::CreateDeviceMenu() {
  for (QWidget* strip :
       std::initializer_list<QWidget*>{LedPanel, PeakLedDisplay1, PeakLedDisplay2}) {
    strip->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(strip, &QWidget::customContextMenuRequested, this,
            [this, strip](const QPoint& at) { ShowDeviceMenu(strip->mapToGlobal(at)); });
  }
}

void TForm1::ShowDeviceMenu(const QPoint& At) {
  QMenu menu(this);
  menu.setAccessibleName(QStringLiteral("Device menu"));
  menu.setToolTipsVisible(true);
  for (const bool capture : {true, false}) {
    menu.addSection(capture ? QStringLiteral("Input") : QStringLiteral("Output"));
    auto* group = new QActionGroup(&menu);
    const std::string current = CurrentDevice(*Audio, capture);
    for (const DeviceEntry& entry : DeviceEntries(Audio->Devices(capture))) {
      // A '&' in a description is shown, not taken for a key.
      QAction* action = menu.addAction(MenuText(entry.Label));
      action->setToolTip(entry.ToolTip);
      action->setCheckable(true);
      action->setChecked(entry.Name == current);
      action->setActionGroup(group);
      connect(action, &QAction::triggered, this,
              [this, capture, name = entry.Name] { Audio->ChooseDevice(capture, name); });
    }
  }
  menu.addSeparator();
  menu.addAction(DevicesAction);
  menu.exec(At);
}
