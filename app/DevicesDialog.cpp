// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DevicesDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>

#include "app/DeviceLabels.h"

DevicesDialog::DevicesDialog(WaveAudio& audio, QWidget* parent) : QDialog(parent), audio_(audio) {
  setWindowTitle(QStringLiteral("Devices"));
  auto* form = new QFormLayout(this);
  for (const bool capture : {true, false}) {
    QComboBox*& box = boxes_[capture ? 0 : 1];
    box = new QComboBox(this);
    box->setObjectName(capture ? QStringLiteral("InputDevice") : QStringLiteral("OutputDevice"));
    box->setAccessibleName(capture ? QStringLiteral("Input device")
                                   : QStringLiteral("Output device"));
    box->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    form->addRow(capture ? QStringLiteral("&Input:") : QStringLiteral("&Output:"), box);
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

void DevicesDialog::Refresh() {
  for (const bool capture : {true, false}) {
    QComboBox* box = Box(capture);
    box->clear();
    const std::string current = CurrentDevice(audio_, capture);
    for (const DeviceEntry& entry : DeviceEntries(audio_.Devices(capture))) {
      box->addItem(entry.Label, QString::fromStdString(entry.Name));
      box->setItemData(box->count() - 1, entry.ToolTip, Qt::ToolTipRole);
      if (entry.Name == current) box->setCurrentIndex(box->count() - 1);
    }
    shown_[capture ? 0 : 1] = box->currentData().toString().toStdString();
  }
}

void DevicesDialog::accept() {
  for (const bool capture : {true, false}) {
    const std::string picked = Box(capture)->currentData().toString().toStdString();
    // Only what the user changed: a stream the desktop moved stays where it is.
    if (picked != shown_[capture ? 0 : 1]) audio_.ChooseDevice(capture, picked);
  }
  QDialog::accept();
}
