// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum analyser's drawing: the latest spectra and the view's settings
// in, one new column of ColumnBitmap out. The window scrolls DisplayBitmap
// and repeats the column at its right edge (Bitmap::ScrollLeft).

#include <cstdint>

#include "platform/Bitmap.h"
#include "views/SpectrumState.h"

// The frequency span of the column's 512 rows: 0..24, 0..12 or 0..6 kHz.
enum class SpectrogramRange { Full, Half, Quarter };

// The channels whose spectra feed the column; with both, every bin shown is
// the mean of the two.
struct ChannelChoice {
  bool Right = false, Left = false;
};

// The level shown at row 512 - index (index 1..512) of the column; 0 for index 0.
double ColumnLevel(const SpectrumState& spectrum, ChannelChoice channels, SpectrogramRange range,
                   int index);

// A level as grey (level / 128 rounded, ties to even, 0..255) or, in colour,
// through the colour map with the level limited to 32767.
TColor LevelColor(double level, bool colour);

// Paints rows 0..511 of the one-pixel-wide column.
void PaintColumn(Bitmap& column, const SpectrumState& spectrum, ChannelChoice channels,
                 SpectrogramRange range, bool colour);
