// The right-click menu of the LED meters: the server's sources and sinks by
// their descriptions, the ones in use checked; a choice moves the stream at
// once and is remembered with the settings.

#include <QActionGroup>
#include <QMenu>

#include "app/Main.h"

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
  for (const bool capture : {true, false}) {
    menu.addSection(capture ? QStringLiteral("Input") : QStringLiteral("Output"));
    auto* group = new QActionGroup(&menu);
    const std::string chosen = Audio->ChosenDevice(capture);
    const auto add = [&](const QString& text, const std::string& name) {
      QAction* action = menu.addAction(text);
      action->setCheckable(true);
      action->setChecked(name == chosen);
      action->setActionGroup(group);
      connect(action, &QAction::triggered, this,
              [this, capture, name] { Audio->ChooseDevice(capture, name); });
    };
    add(QStringLiteral("The server's default"), {});
    for (const WaveAudio::Device& device : Audio->Devices(capture))
      add(QString::fromStdString(device.Description), device.Name);
  }
  menu.exec(At);
}
