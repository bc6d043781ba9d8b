// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/CalibrationDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The units a calibration gives, as the dialog offers them.
constexpr measure::LevelUnit Offered[] = {measure::LevelUnit::Dbu, measure::LevelUnit::Dbv,
                                          measure::LevelUnit::Volts, measure::LevelUnit::DbSpl};

QComboBox* UnitBox(QWidget* parent, const QString& name) {
  auto* box = new QComboBox(parent);
  box->setAccessibleName(name);
  for (const measure::LevelUnit unit : Offered)
    box->addItem(unit == measure::LevelUnit::Volts   ? QStringLiteral("V RMS")
                 : unit == measure::LevelUnit::DbSpl ? QStringLiteral("dB SPL")
                                                     : QString::fromLatin1(UnitName(unit)));
  return box;
}

QDoubleSpinBox* ValueBox(QWidget* parent, const QString& name, double value) {
  auto* spin = new QDoubleSpinBox(parent);
  spin->setAccessibleName(name);
  spin->setRange(-200, 200);
  spin->setDecimals(3);
  spin->setValue(value);
  return spin;
}

} // namespace

bool AskCalibration(QWidget* parent, const QString& input, const QString& tone,
                    CalibrationAnswer* answer) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QStringLiteral("Calibrate"));
  auto* grid = new QGridLayout(&dialog);
  grid->addWidget(new QLabel(QStringLiteral("Input: %1").arg(input), &dialog), 0, 0, 1, 3);
  auto* byNumber = new QRadioButton(QStringLiteral("&0 dBFS ="), &dialog);
  auto* fullScale = ValueBox(&dialog, QStringLiteral("Level of 0 dBFS"), 4.0);
  auto* fullScaleUnit = UnitBox(&dialog, QStringLiteral("Unit of 0 dBFS"));
  auto* byTone = new QRadioButton(QStringLiteral("The &tone playing in now is"), &dialog);
  auto* toneValue = ValueBox(&dialog, QStringLiteral("Level of the tone"), 94.0);
  auto* toneUnit = UnitBox(&dialog, QStringLiteral("Unit of the tone"));
  toneUnit->setCurrentIndex(3);
  grid->addWidget(byNumber, 1, 0);
  grid->addWidget(fullScale, 1, 1);
  grid->addWidget(fullScaleUnit, 1, 2);
  grid->addWidget(byTone, 2, 0);
  grid->addWidget(toneValue, 2, 1);
  grid->addWidget(toneUnit, 2, 2);
  grid->addWidget(new QLabel(tone.isEmpty() ? QStringLiteral("No tone is measured now.")
                                            : QStringLiteral("Measured: %1").arg(tone),
                             &dialog),
                  3, 0, 1, 3);
  byTone->setEnabled(!tone.isEmpty());
  byNumber->setChecked(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QPushButton* forget = buttons->addButton(QStringLiteral("&Forget"), QDialogButtonBox::ResetRole);
  grid->addWidget(buttons, 4, 0, 1, 3);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(forget, &QPushButton::clicked, &dialog, [&] {
    answer->Forget = true;
    dialog.accept();
  });
  if (dialog.exec() != QDialog::Accepted) return false;
  answer->FromTone = byTone->isChecked();
  const QComboBox* unit = answer->FromTone ? toneUnit : fullScaleUnit;
  answer->Unit = Offered[unit->currentIndex()];
  answer->Value = (answer->FromTone ? toneValue : fullScale)->value();
  return true;
}
