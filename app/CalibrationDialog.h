// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Spectrum window's "Calibrate" dialog: a number ("0 dBFS = +4.0 dBu")
// or the level of the tone playing in now ("this tone is 94 dB SPL").

#include <QString>

#include "measure/Calibration.h"

class QWidget;

struct CalibrationAnswer {
  measure::LevelUnit Unit = measure::LevelUnit::Dbu;
  double Value = 0;
  bool FromTone = false; // the value is the tone's, else full scale's
  bool Forget = false;   // the input's calibration is dropped
};

// False when the user cancelled. input names the input, tone describes the
// tone measured now ("-12.34 dBFS at 1000.00 Hz"), empty when there is none.
bool AskCalibration(QWidget* parent, const QString& input, const QString& tone,
                    CalibrationAnswer* answer);
