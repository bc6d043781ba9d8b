// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the spectral amplitude trace has drawn, kept so that it can be saved:
// per display column, each channel's level at the latest point drawn there.

#include <array>
#include <cmath>
#include <limits>

#include "views/Geometry.h"

// "Low Frq" spreads the amplitude trace over this many columns per bin.
inline constexpr int LowFrqColumnsPerBin = 5;

// Hertz per bin of the 2048-point transform at 48000 frames a second.
inline constexpr double BinHz = 48000.0 / 2048;

struct TracePoints {
  static constexpr double None = std::numeric_limits<double>::quiet_NaN();
  using Levels = std::array<double, Geometry::Display.Width>;

  // Levels in dBFS; None where the channel has no point in the column.
  Levels Right, Left;
  // Display columns per bin: LowFrqColumnsPerBin with "Low Frq", else 1.
  int ColumnsPerBin = 1;

  TracePoints() { Clear(1); }
  // Forgets every point, as the trace is erased; later points are drawn
  // with columnsPerBin.
  void Clear(int columnsPerBin) {
    Right.fill(None);
    Left.fill(None);
    ColumnsPerBin = columnsPerBin;
  }
  // A point outside the display is not drawn and not kept.
  void Record(Levels& levels, int column, double dbfs) {
    if (column >= 0 && column < Geometry::Display.Width) levels[static_cast<size_t>(column)] = dbfs;
  }
  static bool Any(const Levels& levels) {
    for (double v : levels)
      if (!std::isnan(v)) return true;
    return false;
  }
  bool Empty() const { return !Any(Right) && !Any(Left); }
  double ColumnHz(int column) const { return column * BinHz / ColumnsPerBin; }
};
