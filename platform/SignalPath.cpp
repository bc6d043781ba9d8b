// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SignalPath.h"

#include <cmath>
#include <cstdio>

namespace {

// "50 %"; a volume just off unity keeps a decimal, so it never reads "100 %".
std::string Percent(double percent) {
  char text[32];
  const bool nearUnity = std::lround(percent) == 100;
  std::snprintf(text, sizeof text, nearUnity ? "%.2f %%" : "%.0f %%", percent);
  return text;
}

} // namespace

std::vector<std::string> PathFindings(const PathReading& reading) {
  const std::string side = reading.Input ? "input" : "output";
  std::vector<std::string> findings;
  if (reading.StreamMuted)
    findings.push_back(side + " muted");
  else if (!reading.StreamAtFull)
    findings.push_back(side + " at " + Percent(reading.StreamPercent));
  if (reading.DeviceMuted)
    findings.push_back(side + " device muted");
  else if (!reading.DeviceAtFull)
    findings.push_back(side + " device at " + Percent(reading.DevicePercent));
  if (reading.DeviceRate != reading.StreamRate)
    findings.push_back(side + " device at " + std::to_string(reading.DeviceRate) + " Hz");
  if (reading.DeviceBits < reading.StreamBits)
    findings.push_back(side + " device at " + std::to_string(reading.DeviceBits) + " bits");
  return findings;
}
