// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's fixed drawing areas, in client pixels of the 1016 x 724 window.

namespace Geometry {

struct Area {
  int Left, Top, Width, Height;
};

// The large display: DisplayBitmap is shown here.
inline constexpr Area Display{2, 1, 1011, 512};
// The graphs use bitmap rows 0..492; row 493 is their white baseline.
inline constexpr int GraphRows = 493;
inline constexpr int GraphBaseline = GraphRows;
// One column of the spectrogram: ColumnBitmap.
inline constexpr int ColumnHeight = 512;

// The oscilloscope: ScopeBitmap is shown here.
inline constexpr Area Scope{693, 520, 320, 200};

// The ruler strip over the display: the frequency scale and the level scale.
inline constexpr int RulerFrequencyWidth = 36, RulerFrequencyHeight = 512;
inline constexpr int RulerLevelWidth = 21, RulerLevelHeight = 493;
// The ruler's left edge is kept within these bounds.
inline constexpr int RulerMinLeft = 2, RulerMaxLeft = 992;

// Hit tests in window coordinates, bounds inclusive.
inline constexpr bool InDisplay(int x, int y) {
  return x >= 2 && x <= 1011 && y >= 1 && y <= 493;
}
inline constexpr bool InScope(int x, int y) {
  return x >= 693 && x <= 1011 && y >= 520 && y <= 719;
}

} // namespace Geometry
