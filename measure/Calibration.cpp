// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Calibration.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace measure {

namespace {

constexpr double Nan = std::numeric_limits<double>::quiet_NaN();
// 0 dBu: the voltage that puts 1 mW into 600 ohms.
const double DbuVolts = std::sqrt(0.6);

const char* const UnitNames[] = {"dBFS", "dBV", "dBu", "V", "dBSPL"};

void AppendNumber(std::string& out, double v) {
  if (!std::isfinite(v)) return;
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, v).ptr;
  out.append(text, end);
}

double ReadNumber(std::string_view text) {
  double v = Nan;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
  return error == std::errc() && end == text.data() + text.size() && std::isfinite(v) ? v : Nan;
}

} // namespace

const char* UnitName(LevelUnit unit) {
  return UnitNames[static_cast<int>(unit)];
}

bool UnitNamed(std::string_view name, LevelUnit* unit) {
  for (const LevelUnit u : LevelUnits)
    if (name == UnitName(u)) {
      *unit = u;
      return true;
    }
  return false;
}

bool InDecibels(LevelUnit unit) {
  return unit != LevelUnit::Volts;
}

Calibration::Calibration() : VoltsAtFullScale(Nan), SplAtFullScale(Nan) {}

bool Calibration::Gives(LevelUnit unit) const {
  switch (unit) {
  case LevelUnit::Dbfs:
    return true;
  case LevelUnit::DbSpl:
    return std::isfinite(SplAtFullScale);
  default:
    return std::isfinite(VoltsAtFullScale) && VoltsAtFullScale > 0;
  }
}

double FromDbfs(double dbfs, LevelUnit unit, const Calibration& c) {
  if (!c.Gives(unit)) return Nan;
  switch (unit) {
  case LevelUnit::Dbfs:
    return dbfs;
  case LevelUnit::Dbv:
    return dbfs + 20 * std::log10(c.VoltsAtFullScale);
  case LevelUnit::Dbu:
    return dbfs + 20 * std::log10(c.VoltsAtFullScale / DbuVolts);
  case LevelUnit::Volts:
    return c.VoltsAtFullScale * std::pow(10.0, dbfs / 20);
  case LevelUnit::DbSpl:
    return dbfs + c.SplAtFullScale;
  }
  return Nan;
}

double ToDbfs(double value, LevelUnit unit, const Calibration& c) {
  if (!c.Gives(unit)) return Nan;
  switch (unit) {
  case LevelUnit::Dbfs:
    return value;
  case LevelUnit::Dbv:
    return value - 20 * std::log10(c.VoltsAtFullScale);
  case LevelUnit::Dbu:
    return value - 20 * std::log10(c.VoltsAtFullScale / DbuVolts);
  case LevelUnit::Volts:
    return value > 0 ? 20 * std::log10(value / c.VoltsAtFullScale)
                     : -std::numeric_limits<double>::infinity();
  case LevelUnit::DbSpl:
    return value - c.SplAtFullScale;
  }
  return Nan;
}

Calibration WithFullScale(Calibration c, LevelUnit unit, double value) {
  switch (unit) {
  case LevelUnit::Dbfs:
    break;
  case LevelUnit::Dbv:
    c.VoltsAtFullScale = std::pow(10.0, value / 20);
    break;
  case LevelUnit::Dbu:
    c.VoltsAtFullScale = DbuVolts * std::pow(10.0, value / 20);
    break;
  case LevelUnit::Volts:
    if (value > 0) c.VoltsAtFullScale = value;
    break;
  case LevelUnit::DbSpl:
    c.SplAtFullScale = value;
    break;
  }
  return c;
}

Calibration WithReferenceTone(Calibration c, double toneDbfs, LevelUnit unit, double value) {
  if (!std::isfinite(toneDbfs)) return c;
  if (unit == LevelUnit::Volts)
    return WithFullScale(c, unit, value / std::pow(10.0, toneDbfs / 20));
  return WithFullScale(c, unit, value - toneDbfs);
}

// "device=volts,spl;device=volts,spl", an empty number where none was made.
std::string CalibrationsText(const Calibrations& calibrations) {
  std::string text;
  for (const auto& [device, c] : calibrations) {
    if (!text.empty()) text += ';';
    text += device.empty() ? "*" : device;
    text += '=';
    AppendNumber(text, c.VoltsAtFullScale);
    text += ',';
    AppendNumber(text, c.SplAtFullScale);
  }
  return text;
}

Calibrations ParseCalibrations(std::string_view text) {
  Calibrations calibrations;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(';'), text.size());
    const std::string_view entry = text.substr(0, end);
    text.remove_prefix(std::min(end + 1, text.size()));
    const std::size_t equals = entry.find('=');
    const std::size_t comma = entry.find(',', equals == entry.npos ? 0 : equals);
    if (equals == entry.npos || equals == 0 || comma == entry.npos) continue;
    Calibration c;
    c.VoltsAtFullScale = ReadNumber(entry.substr(equals + 1, comma - equals - 1));
    c.SplAtFullScale = ReadNumber(entry.substr(comma + 1));
    if (!c.Gives(LevelUnit::Dbv)) c.VoltsAtFullScale = Nan;
    const std::string_view device = entry.substr(0, equals);
    calibrations[device == "*" ? std::string() : std::string(device)] = c;
  }
  return calibrations;
}

} // namespace measure
