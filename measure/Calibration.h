// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum window's units: dBFS, or through a calibration of the input
// dBV, dBu, volts RMS and dB SPL. Plain C++, no toolkit.
//
// Levels in dBFS read 0 for a sine of peak amplitude full scale; its RMS
// voltage is what the calibration states as "0 dBFS = ...".

#include <map>
#include <string>
#include <string_view>

namespace measure {

enum class LevelUnit { Dbfs, Dbv, Dbu, Volts, DbSpl };
inline constexpr LevelUnit LevelUnits[] = {LevelUnit::Dbfs, LevelUnit::Dbv, LevelUnit::Dbu,
                                           LevelUnit::Volts, LevelUnit::DbSpl};

// "dBFS", "dBV", "dBu", "V", "dBSPL": as column names carry it.
const char* UnitName(LevelUnit unit);
// The unit whose name is name; false when there is none.
bool UnitNamed(std::string_view name, LevelUnit* unit);
// True for the units in decibels.
bool InDecibels(LevelUnit unit);

// One input's calibration; NaN where none was made.
struct Calibration {
  double VoltsAtFullScale; // RMS volts of a full-scale sine
  double SplAtFullScale;   // dB SPL of a full-scale sine
  Calibration();
  bool Gives(LevelUnit unit) const;
};

// The level dbfs in unit; NaN when the calibration does not give the unit.
double FromDbfs(double dbfs, LevelUnit unit, const Calibration& calibration);
// Back: a level in unit as dBFS (a voltage <= 0 is -infinity).
double ToDbfs(double value, LevelUnit unit, const Calibration& calibration);

// "0 dBFS = value unit": the calibration with the unit's scale so set
// (dBFS itself changes nothing).
Calibration WithFullScale(Calibration calibration, LevelUnit unit, double value);
// A tone measured at toneDbfs is value unit (94 dB SPL, 1.000 V).
Calibration WithReferenceTone(Calibration calibration, double toneDbfs, LevelUnit unit,
                              double value);

// Calibrations by input device, as one line of text and back. Device names
// are the sound server's (letters, digits and "._-:@+"); the empty name, the
// server's default input, is written "*". Entries that cannot be read are
// left out.
using Calibrations = std::map<std::string, Calibration>;
std::string CalibrationsText(const Calibrations& calibrations);
Calibrations ParseCalibrations(std::string_view text);

} // namespace measure
