// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/PeakLedGeometry.h"

namespace {

// Two's-complement truncation to 32 bits, well defined since C++20.
int32_t Wrap(int64_t v) {
  return static_cast<int32_t>(v);
}

int32_t Mul(int32_t a, int32_t b) {
  return Wrap(static_cast<int64_t>(a) * b);
}

int32_t Add(int32_t a, int32_t b) {
  return Wrap(static_cast<int64_t>(a) + b);
}

int32_t Sub(int32_t a, int32_t b) {
  return Wrap(static_cast<int64_t>(a) - b);
}

// Truncating division; every caller passes a positive divisor, so the one
// overflowing quotient (INT32_MIN / -1) cannot occur.
int32_t Div(int32_t a, int32_t b) {
  return a / b;
}

// Start of the cell of block k along the bar (k = 1 at position 0).
int32_t CellStart(int32_t index, int32_t n, int32_t length) {
  return Div(Mul(index, length), n);
}

} // namespace

int32_t LedBlockTotal(const LedZones& zones) {
  return Add(Add(zones.a, zones.b), zones.c);
}

LedCounts LedLitCounts(int32_t n, int32_t level, int32_t peak, int32_t max) {
  if (max <= 0) return {0, 0};
  const int32_t lit = Div(Mul(n, level), max);
  const int32_t pk = Div(Mul(n, peak), max);
  return {lit > n ? n : lit, pk > n ? n : pk};
}

LedRect LedBlockRect(TPeakLedDisplayOrientation orientation, int32_t k, int32_t n, int32_t w,
                     int32_t h, int32_t spacing) {
  if (orientation == loHorizontal) {
    const int32_t left = Add(CellStart(Sub(k, 1), n, w), 1);
    const int32_t right = Sub(Sub(Add(left, Div(w, n)), spacing), 2);
    return {left, 2, right, Sub(h, 2)};
  }
  const int32_t top = Add(CellStart(Sub(n, k), n, h), 1);
  const int32_t bottom = Sub(Sub(Add(top, Div(h, n)), spacing), 2);
  return {2, top, Sub(w, 2), bottom};
}

LedRect LedCellRect(TPeakLedDisplayOrientation orientation, int32_t k, int32_t n, int32_t w,
                    int32_t h, int32_t spacing) {
  if (orientation == loHorizontal) {
    const int32_t left = CellStart(Sub(k, 1), n, w);
    return {left, 1, Sub(Add(left, Div(w, n)), spacing), Sub(h, 1)};
  }
  const int32_t top = CellStart(Sub(n, k), n, h);
  return {1, top, Sub(w, 1), Sub(Add(top, Div(h, n)), spacing)};
}

TColor LedBlockColor(int32_t k, const LedZones& zones, const LedCounts& counts,
                     const LedPalette& palette) {
  // Zone boundaries in 64 bits: only the total, which sets the geometry, wraps.
  const int64_t endA = zones.a;
  const int64_t endB = endA + zones.b;
  const int zone = k <= endA ? 0 : (k <= endB ? 1 : 2);
  if (k == counts.pk && counts.pk > counts.lit)
    return palette.onePeakColor ? palette.peak : palette.active[zone];
  return k <= counts.lit ? palette.active[zone] : palette.dead[zone];
}
