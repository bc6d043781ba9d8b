// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The level and held peak a meter shows, in one unit of the caller's: a plain
// pair the audio side keeps without knowing the control.

#include <cstdint>

// The (level, peak) pair handed to TPeakLedDisplay::SetLevel, in that order.
struct TLedLevel {
  int32_t Level = 0;
  int32_t Peak = 0;
};
