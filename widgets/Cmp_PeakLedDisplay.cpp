// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/Cmp_PeakLedDisplay.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>

#include "platform/Accessibility.h"

namespace {

QRect ToQRect(const LedRect& r) {
  return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

template <typename T> bool StoreChange(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

// A zone never shrinks below one block, so the bar always has at least three.
bool StoreBlockCount(int32_t& field, int32_t value) {
  if (field == value) return false;
  field = value <= 0 ? 1 : value;
  return true;
}

} // namespace

TPeakLedDisplay::TPeakLedDisplay(QWidget* parent) : QWidget(parent), FCanvas(30, 200) {
  // Every pixel comes from the backing bitmap, so Qt need not erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
  resize(30, 200);
  // Off-screen only: the backing bitmap holds a picture before the first show.
  Paint();
}

void TPeakLedDisplay::SetOrientation(TPeakLedDisplayOrientation value) {
  if (StoreChange(FOrientation, value)) Paint();
}

void TPeakLedDisplay::SetCtl3D(bool value) {
  if (StoreChange(FCtl3D, value)) Paint();
}

void TPeakLedDisplay::SetSpacing(int32_t value) {
  if (StoreChange(FSpacing, value)) Paint();
}

void TPeakLedDisplay::SetMax(int32_t value) {
  if (StoreChange(FMax, value)) Paint();
}

void TPeakLedDisplay::SetBlockACount(int32_t value) {
  if (StoreBlockCount(FBlockACount, value)) Paint();
}

void TPeakLedDisplay::SetBlockBCount(int32_t value) {
  if (StoreBlockCount(FBlockBCount, value)) Paint();
}

void TPeakLedDisplay::SetBlockCCount(int32_t value) {
  if (StoreBlockCount(FBlockCCount, value)) Paint();
}

void TPeakLedDisplay::SetActiveColor1(TColor value) {
  SetColour(FActiveColor1, value);
}

void TPeakLedDisplay::SetActiveColor2(TColor value) {
  SetColour(FActiveColor2, value);
}

void TPeakLedDisplay::SetActiveColor3(TColor value) {
  SetColour(FActiveColor3, value);
}

void TPeakLedDisplay::SetDeadColor1(TColor value) {
  SetColour(FDeadColor1, value);
}

void TPeakLedDisplay::SetDeadColor2(TColor value) {
  SetColour(FDeadColor2, value);
}

void TPeakLedDisplay::SetDeadColor3(TColor value) {
  SetColour(FDeadColor3, value);
}

void TPeakLedDisplay::SetPeakColor(TColor value) {
  SetColour(FPeakColor, value);
}

void TPeakLedDisplay::SetColour(TColor& field, TColor value) {
  // A new colour needs every block drawn again.
  if (StoreChange(field, value)) FDrawn = false;
  PaintLEDs();
}

void TPeakLedDisplay::SetOnePeakColor(bool value) {
  if (StoreChange(FOnePeakColor, value)) FDrawn = false;
}

void TPeakLedDisplay::SetLevel(TLedLevel pair) {
  FLevel = pair.Level;
  FPeak = pair.Peak;
  PaintLEDs();
  ReportValueChange(this); // to assistive technology, at most once a second
}

void TPeakLedDisplay::PaintLEDs() {
  // A size change not yet seen by resizeEvent (a hidden control) needs the
  // background and frames redrawn too; Paint comes back here.
  if (FitCanvas()) {
    Paint();
    return;
  }
  const LedZones zones = Zones();
  const int32_t n = LedBlockTotal(zones);
  const LedCounts counts = LedLitCounts(n, FLevel, FPeak, FMax);
  const LedPalette palette{{FActiveColor1, FActiveColor2, FActiveColor3},
                           {FDeadColor1, FDeadColor2, FDeadColor3},
                           FPeakColor,
                           FOnePeakColor};
  // Only the blocks whose colour changes since the last drawing are filled
  // and repainted: a steady level repaints nothing.
  const bool every = !FDrawn;
  QRect changed;
  // 64-bit counter: n may be as large as INT32_MAX.
  for (int64_t k = 1; k <= n; ++k) {
    const auto block = static_cast<int32_t>(k);
    const TColor colour = LedBlockColor(block, zones, counts, palette);
    if (!every && colour == LedBlockColor(block, zones, FDrawnCounts, palette)) continue;
    FCanvas.BrushColor = colour;
    const LedRect r = LedBlockRect(FOrientation, block, n, width(), height(), FSpacing);
    FCanvas.FillRect(r.left, r.top, r.right, r.bottom);
    changed |= ToQRect(r);
  }
  FDrawn = true;
  FDrawnCounts = counts;
  if (!changed.isEmpty()) update(changed);
}

void TPeakLedDisplay::Paint() {
  FitCanvas();
  FDrawn = false;
  FCanvas.BrushColor = ParentColor();
  FCanvas.FillRect(0, 0, FCanvas.Width(), FCanvas.Height());
  const int32_t n = LedBlockTotal(Zones());
  if (FCtl3D) {
    // Cells are framed from the top (vertical) or the right (horizontal); with
    // a negative Spacing neighbouring frames overlap and the lower-numbered
    // block's frame ends on top. The frames' insides are the blocks, which
    // PaintLEDs fills next.
    for (int64_t k = n; k >= 1; --k) {
      const LedRect cell =
          LedCellRect(FOrientation, static_cast<int32_t>(k), n, width(), height(), FSpacing);
      FCanvas.Frame3D(ToQRect(cell), clBtnShadow, clBtnHighlight);
    }
  }
  PaintLEDs();
  update();
}

bool TPeakLedDisplay::FitCanvas() {
  if (FCanvas.Width() == width() && FCanvas.Height() == height()) return false;
  FCanvas = Bitmap(width(), height());
  return true;
}

TColor TPeakLedDisplay::ParentColor() const {
  const QWidget* source = parentWidget() != nullptr ? parentWidget() : this;
  return FromQRgb(source->palette().color(source->backgroundRole()).rgb());
}

void TPeakLedDisplay::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  // Sharp blocks on a scaled screen: each bitmap pixel as whole screen pixels.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  FCanvas.Draw(painter, event->rect().topLeft(), event->rect());
}

void TPeakLedDisplay::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Paint();
}

void TPeakLedDisplay::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // The background follows the parent's colour.
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange) Paint();
}
