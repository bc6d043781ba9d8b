// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/ScopeDrawing.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "views/Geometry.h"

namespace {

constexpr int Width = Geometry::Scope.Width, Height = Geometry::Scope.Height;
constexpr int Points = 320;
constexpr int LowestXScale = 1, HighestXScale = 50;
// The trigger looks for a rising zero crossing at samples 0..1024.
constexpr int TriggerSearchEnd = 1024;
// A crossing must lie this close to the previous trigger level...
constexpr int TriggerWindow = 500;
// ...and a block quieter than this forgets the level.
constexpr int TriggerForgetPeak = 600;

// How far into the block a manual shift may start the drawing, by X scale
// 1..7 (7..50 share the last): every visible point stays inside the block.
constexpr int LowestShift[] = {0, -450, -770, -1080, -1400, -1720, -1880};

int LowestShiftFor(int xScale) {
  return LowestShift[std::min(xScale, 7) - 1];
}

// Sets start and level at the first rising crossing of samples[0..1024]
// whose last non-positive sample lies near the previous level. A tone whose
// period is a whole number of samples crosses at the same value every time,
// which need not lie near the level it started from: when no crossing is
// near, the first crossing sets both. Without a crossing both stay.
void Trigger(const int16_t* samples, int32_t& start, int32_t& level) {
  int found = -1;
  for (int i = 0; i <= TriggerSearchEnd; ++i) {
    if (samples[i] > 0 || samples[i + 1] <= 0) continue;
    if (std::abs(level - samples[i]) < TriggerWindow) {
      found = i;
      break;
    }
    if (found < 0) found = i;
  }
  if (found < 0) return;
  start = found;
  level = samples[found];
}

void DrawTrace(Bitmap& scope, const int16_t* samples, int32_t& start, int xScale, int divisor,
               bool sync, TColor colour) {
  const int mid = Height / 2;
  const int step = 7 - xScale;
  scope.MoveTo(-100, mid);
  scope.PenColor = colour;
  if (sync && 319 * step + start + 1 >= SampleBlock::Frames) start = 0;
  for (int i = 0; i < Points; ++i) {
    int index, x;
    if (xScale == 1) {
      // The whole block, whatever the shift or trigger.
      index = static_cast<int>(std::nearbyint(6.4 * i + 1));
      x = i;
    } else if (xScale <= 6) {
      index = step * i + start + 1;
      x = i;
    } else {
      index = i + start + 1;
      x = (xScale - 5) * i;
    }
    // A positive sample lies below the centre line.
    scope.LineTo(x, mid + samples[index] * 100 / divisor);
    // Past the right edge, the line to this point was the last one visible.
    if (x >= Width) break;
  }
}

// The black ground and the grid, drawn once. Each grid line runs from one
// edge to the other, leaving out its end pixel beyond the opposite edge: a
// one-pixel rectangle, filled at once.
const Bitmap& Grid() {
  static const Bitmap grid = [] {
    Bitmap bitmap(Width, Height);
    bitmap.BrushColor = clBlack;
    bitmap.FillRect(0, 0, Width, Height);
    bitmap.BrushColor = clBtnShadow;
    for (int i = 1; i <= 9; ++i) {
      bitmap.FillRect(0, Height / 10 * i, Width, Height / 10 * i + 1);
      bitmap.FillRect(Width / 10 * i, 0, Width / 10 * i + 1, Height);
    }
    return bitmap;
  }();
  return grid;
}

} // namespace

// Row by row from the grid's two kinds of row, a plain one and a grid line:
// they stay in the caches, where a copy of the whole grid would read 256 KB.
void DrawScopeGrid(Bitmap& scope) {
  constexpr int Cell = Height / 10, Plain = 1;
  for (int y = 0; y < Height; ++y)
    scope.CopyRect(0, y, Width, 1, Grid(), 0, y > 0 && y % Cell == 0 ? Cell : Plain);
}

int AutoYScalePosition(int32_t peakR, int32_t peakL, bool right, bool left) {
  int32_t peak = 0;
  if (right && !left) peak = peakR;
  if (left && !right) peak = peakL;
  if (right && left) peak = peakL < peakR ? peakR : peakL;
  return -static_cast<int>(std::nearbyint(std::sqrt(peak + 4.0)));
}

void DrawScopeTraces(Bitmap& scope, ScopeState& state, const SampleBlock& block, int32_t peakR,
                     int32_t peakL, const ScopeSettings& settings) {
  // The square is a 16-bit value, as the Y-scale caption takes it.
  const int64_t p = settings.YScale;
  const int divisor = static_cast<int16_t>(p * p) + 10;
  const int xScale = std::clamp(settings.XScale, LowestXScale, HighestXScale);

  state.ScopeShiftR = std::min(state.ScopeShiftR, 0);
  state.ScopeShiftL = std::min(state.ScopeShiftL, 0);
  if (settings.Sync) {
    // While STOP is down the frozen block keeps the start its trigger found.
    if (settings.Live) state.ScopeStartR = state.ScopeStartL = 0;
  } else {
    state.ScopeShiftR = std::max(state.ScopeShiftR, LowestShiftFor(xScale));
    state.ScopeShiftL = std::max(state.ScopeShiftL, LowestShiftFor(xScale));
    state.ScopeStartR = -state.ScopeShiftR;
    state.ScopeStartL = -state.ScopeShiftL;
  }

  if (settings.Sync && settings.Live) {
    Trigger(block.Right(), state.ScopeStartR, state.TrigLevelR);
    Trigger(block.Left(), state.ScopeStartL, state.TrigLevelL);
    if (peakR < TriggerForgetPeak) state.TrigLevelR = 0;
    if (peakL < TriggerForgetPeak) state.TrigLevelL = 0;
  } else {
    state.TrigLevelR = state.TrigLevelL = 0;
  }

  if (settings.Right)
    DrawTrace(scope, block.Right(), state.ScopeStartR, xScale, divisor, settings.Sync, clFuchsia);
  if (settings.Left)
    DrawTrace(scope, block.Left(), state.ScopeStartL, xScale, divisor, settings.Sync, clAqua);
}
