// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The LED bar's arithmetic, free of any widget: how many blocks a level
// lights, where each block and its 3D cell lie, and which colour a block gets.
// Blocks are numbered k = 1..n from the left (horizontal) or the bottom
// (vertical). Products and sums wrap around in 32 bits, so a huge level can
// light nothing; they are computed in 64 bits so nothing is undefined.

#include <cstdint>

#include "platform/Colors.h"

enum TPeakLedDisplayOrientation : uint8_t { loHorizontal = 0, loVertical = 1 };

// Left/top inclusive, right/bottom exclusive, in control pixels.
struct LedRect {
  int32_t left;
  int32_t top;
  int32_t right;
  int32_t bottom;
};

struct LedZones {
  int32_t a;
  int32_t b;
  int32_t c;
};

// lit: blocks 1..lit show their active colour; pk: the block holding the peak.
struct LedCounts {
  int32_t lit;
  int32_t pk;
};

// Index 0, 1, 2 for zones A, B, C.
struct LedPalette {
  TColor active[3];
  TColor dead[3];
  TColor peak;
  bool onePeakColor;
};

// n, the number of blocks: the three zone counts summed with 32-bit wrap.
// A non-positive result (only through wrap) means there is nothing to draw.
int32_t LedBlockTotal(const LedZones& zones);

// lit = n * level div max and pk = n * peak div max, each capped at n with no
// lower bound (a negative level lights nothing). A max of 0 or less would
// divide by zero or invert the scale; it lights nothing and shows no peak.
LedCounts LedLitCounts(int32_t n, int32_t level, int32_t peak, int32_t max);

// Block k of n in a control of width w and height h; spacing is taken off each
// block's length along the bar. Requires n > 0.
LedRect LedBlockRect(TPeakLedDisplayOrientation orientation, int32_t k, int32_t n, int32_t w,
                     int32_t h, int32_t spacing);

// The cell whose 3D frame surrounds block k: its inside (shrunk by one pixel on
// every side) is exactly LedBlockRect for the same k. Requires n > 0.
LedRect LedCellRect(TPeakLedDisplayOrientation orientation, int32_t k, int32_t n, int32_t w,
                    int32_t h, int32_t spacing);

// Zone by the counts, active up to lit, dead beyond; the peak block (k = pk
// beyond lit) in the peak colour or its zone's active colour.
TColor LedBlockColor(int32_t k, const LedZones& zones, const LedCounts& counts,
                     const LedPalette& palette);
