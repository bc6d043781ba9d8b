// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The latest spectrum of each channel, which the spectral views write and the
// frequency readout reads, and the sensitivity of each scale mode.

#include <array>
#include <cstdint>

struct SpectrumState {
  // Entries 0..1024 hold the latest transform (bin k = k * 23.4375 Hz); the
  // rest stay 0.
  std::array<double, 2049> SpectrumR{}, SpectrumL{};
  uint16_t PeakBinR = 0, PeakBinL = 0;               // the strongest bin, or the one pointed at
  int32_t SensLinear = 0, SensSqrt = 0, SensLog = 0; // percent, per scale mode
};
