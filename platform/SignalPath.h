// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What stands between the card and the numbers on one stream's path, as the
// sound server reports it, and what of it a user must be told.

#include <cstdint>
#include <string>
#include <vector>

// One reading of a stream and the device it is connected to. Volumes are in
// percent of the server's 100 % (its unity gain); "AtFull" is exact unity on
// every channel, which a rounded percentage cannot tell.
struct PathReading {
  bool Input = true;
  bool StreamAtFull = true;
  double StreamPercent = 100;
  bool StreamMuted = false;
  bool DeviceAtFull = true;
  double DevicePercent = 100;
  bool DeviceMuted = false;
  uint32_t StreamRate = 0, DeviceRate = 0;
  // Bits a sample keeps exactly: 16 for 16-bit, 24 for 32-bit float.
  int StreamBits = 0, DeviceBits = 0;
};

// Each way the path changes the signal, in words for the title bar ("input at
// 50 %", "output device muted", "input device at 44100 Hz"); none when it is
// transparent. A device format that holds every sample of the stream exactly
// (16-bit into 32-bit float) changes nothing and is not listed.
std::vector<std::string> PathFindings(const PathReading& reading);
