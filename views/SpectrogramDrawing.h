#pragma once
// The spectrum analyser's drawing: the latest spectra and the view's settings
// in, one new column of ColumnBitmap and the scrolled DisplayBitmap out.

#include <cstdint>

#include "platform/Bitmap.h"
#include "views/ScaleChoice.h"
#include "views/SpectrumState.h"

// The frequency span of the column's 512 rows: 0..24, 0..12 or 0..6 kHz.
enum class SpectrogramRange { Full, Half, Quarter };

// The channels whose spectra feed the column; with both, every bin shown is
// the mean of the two.
struct ChannelChoice {
  bool Right = false, Left = false;
};

// What SpectrumFFT is told besides the samples: the checked scale button's
// mode and sensitivity, and the Filter, Auto and Wind switches.
struct TransformSettings {
  ScaleChoice Scale;
  bool Filter = false, Auto = false, Window = false;
};

// Transforms one channel's 2048 samples into spectrum[0..1024] and its
// strongest bin; peak is the block's largest sample magnitude.
void TransformChannel(const int16_t* samples, int32_t peak, double* spectrum, uint16_t& peakBin,
                      const TransformSettings& settings);

// The level shown at row 512 - index (index 1..512) of the column; 0 for index 0.
double ColumnLevel(const SpectrumState& spectrum, ChannelChoice channels, SpectrogramRange range,
                   int index);

// A level as grey (level / 128 rounded, ties to even, 0..255) or, in colour,
// through the colour map with the level limited to 32767.
TColor LevelColor(double level, bool colour);

// Paints rows 0..511 of the one-pixel-wide column.
void PaintColumn(Bitmap& column, const SpectrumState& spectrum, ChannelChoice channels,
                 SpectrogramRange range, bool colour);

// Moves the picture left by speed pixels and fills the rightmost speed
// columns with copies of the column. A speed below 1 changes nothing.
void ScrollInColumn(Bitmap& display, const Bitmap& column, int speed);
