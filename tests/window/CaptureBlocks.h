// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the capture and control-panel tests feed the window and read back:
// capture blocks, and the LED meters' pixels.

#include <functional>
#include <ostream>
#include <vector>

#include "widgets/Cmp_PeakLedDisplay.h"
#include "widgets/PeakLedGeometry.h"

// Interleaved block whose left and right samples come from the two functions
// of the frame index 0..2047.
inline std::vector<int16_t> MakeBlock(const std::function<int16_t(int)>& left,
                                      const std::function<int16_t(int)>& right) {
  std::vector<int16_t> block(4096);
  for (int frame = 0; frame < 2048; ++frame) {
    block[static_cast<size_t>(2 * frame)] = left(frame);
    block[static_cast<size_t>(2 * frame + 1)] = right(frame);
  }
  return block;
}

// Silence except for one sample of each channel at frame 700.
inline std::vector<int16_t> PeakBlock(int16_t left, int16_t right) {
  return MakeBlock([=](int f) { return f == 700 ? left : int16_t{0}; },
                   [=](int f) { return f == 700 ? right : int16_t{0}; });
}

// What a meter of the window shows: blocks 1..Lit in their zone's active
// colour, and the block number of a separate peak block (0 for none, -1 when
// the picture is neither).
struct MeterView {
  int Lit = 0;
  int PeakBlock = 0;
  bool operator==(const MeterView&) const = default;
};

inline MeterView ReadMeter(const TPeakLedDisplay& meter) {
  const LedZones zones{74, 6, 3};
  const int n = LedBlockTotal(zones);
  const TColor active[3] = {clLime, clYellow, clRed};
  const TColor dead[3] = {clGreen, clOlive, clMaroon};
  const Bitmap& canvas = meter.Canvas();
  MeterView view;
  bool litRun = true;
  for (int k = 1; k <= n; ++k) {
    const LedRect r = LedBlockRect(loHorizontal, k, n, canvas.Width(), canvas.Height(), -1);
    const TColor pixel = canvas.GetPixel(r.left, r.top);
    const int zone = k <= zones.a ? 0 : k <= zones.a + zones.b ? 1 : 2;
    if (litRun && pixel == active[zone]) {
      view.Lit = k;
      continue;
    }
    litRun = false;
    if (pixel == dead[zone]) continue;
    view.PeakBlock = view.PeakBlock == 0 && pixel == clRed ? k : -1;
  }
  return view;
}

inline void PrintTo(const MeterView& v, std::ostream* os) {
  *os << "{lit " << v.Lit << ", peak block " << v.PeakBlock << "}";
}
