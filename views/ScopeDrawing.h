// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The oscilloscope's drawing: plain samples and settings in, pixels of
// ScopeBitmap out.

#include <cstdint>

#include "audio/SampleBlock.h"
#include "platform/Bitmap.h"

// The traces' trigger levels, their shifts and where each trace starts.
struct ScopeState {
  int32_t TrigLevelR = 0, TrigLevelL = 0;
  int32_t ScopeShiftR = 0, ScopeShiftL = 0;
  int32_t ScopeShiftR0 = 0, ScopeShiftL0 = 0; // the shifts when a drag started
  int32_t ScopeStartR = 0, ScopeStartL = 0;
};

// What the oscilloscope's controls say for one drawing.
struct ScopeSettings {
  int XScale = 25; // ScopeXW, 1..50
  int YScale = -1; // ScopeYW, normally -181..-1
  bool Sync = false;
  bool Right = false, Left = false; // the traces drawn
  bool Live = true;                 // STOP is up: the trigger searches
};

// Gives the 320 x 200 area its black ground and 9 x 9 inner grid lines, a
// copy of a grid drawn once.
void DrawScopeGrid(Bitmap& scope);

// The ScopeYW position that makes the louder selected channel's peak fill the
// height: -round(sqrt(peak + 4)), -2..-181.
int AutoYScalePosition(int32_t peakR, int32_t peakL, bool right, bool left);

// Places both traces (shift limits, or the zero-crossing trigger with its
// history) and draws the selected ones over the grid, right then left.
// An XScale outside 1..50 is taken as the nearest end.
void DrawScopeTraces(Bitmap& scope, ScopeState& state, const SampleBlock& block, int32_t peakR,
                     int32_t peakL, const ScopeSettings& settings);
