// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TPeakLedDisplay: a row or column of LED blocks in three colour zones showing
// a level, with one extra block marking a held peak above it. It knows nothing
// about audio: level, peak and Max are plain integers in one unit. The peak's
// hold and decay are the caller's. GUI thread only.
//
// The control draws into a backing bitmap of its own size, which always holds
// its current picture; the paint event only shows that bitmap. PaintLEDs
// brings the blocks in it up to date at once (about 23 times a second per
// meter) and repaints only the blocks that changed; a full repaint also
// redraws the background, in the parent's colour, and the 3D frames.

#include <cstdint>

#include <QWidget>

#include "platform/Bitmap.h"
#include "platform/Colors.h"
#include "widgets/LedLevel.h"
#include "widgets/PeakLedGeometry.h"

class TPeakLedDisplay : public QWidget {
  Q_OBJECT

public:
  explicit TPeakLedDisplay(QWidget* parent = nullptr);

  // Setters of Orientation, Ctl3D, Spacing, Max and the block counts store
  // only a changed value and then repaint everything at once.
  TPeakLedDisplayOrientation Orientation() const { return FOrientation; }
  void SetOrientation(TPeakLedDisplayOrientation value);
  bool Ctl3D() const { return FCtl3D; }
  void SetCtl3D(bool value);
  // Pixels taken off each block's length along the bar; may be negative.
  int32_t Spacing() const { return FSpacing; }
  void SetSpacing(int32_t value);
  // The level that lights every block; 0 or less lights nothing.
  int32_t Max() const { return FMax; }
  void SetMax(int32_t value);

  // Zone sizes; a value of 0 or less is stored as 1.
  int32_t BlockACount() const { return FBlockACount; }
  void SetBlockACount(int32_t value);
  int32_t BlockBCount() const { return FBlockBCount; }
  void SetBlockBCount(int32_t value);
  int32_t BlockCCount() const { return FBlockCCount; }
  void SetBlockCCount(int32_t value);

  // Colour setters always store and redraw the blocks at once.
  TColor ActiveColor1() const { return FActiveColor1; }
  void SetActiveColor1(TColor value);
  TColor ActiveColor2() const { return FActiveColor2; }
  void SetActiveColor2(TColor value);
  TColor ActiveColor3() const { return FActiveColor3; }
  void SetActiveColor3(TColor value);
  TColor DeadColor1() const { return FDeadColor1; }
  void SetDeadColor1(TColor value);
  TColor DeadColor2() const { return FDeadColor2; }
  void SetDeadColor2(TColor value);
  TColor DeadColor3() const { return FDeadColor3; }
  void SetDeadColor3(TColor value);
  TColor PeakColor() const { return FPeakColor; }
  void SetPeakColor(TColor value);
  // Peak block in PeakColor (true) or its zone's active colour (false); only
  // stored, seen at the next drawing.
  bool OnePeakColor() const { return FOnePeakColor; }
  void SetOnePeakColor(bool value);

  // Stores level and peak and brings the blocks up to date.
  void SetLevel(TLedLevel pair);
  // Brings every block to its current colour in the backing bitmap at once
  // and asks for the blocks that changed to be repainted.
  void PaintLEDs();

  // The control's current picture, the size of the control.
  const Bitmap& Canvas() const { return FCanvas; }

protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  // The full repaint: background, frames when Ctl3D, then the blocks.
  void Paint();
  // Gives the backing bitmap the control's size; true if it had to.
  bool FitCanvas();
  TColor ParentColor() const;
  LedZones Zones() const { return {FBlockACount, FBlockBCount, FBlockCCount}; }
  // Stores a colour and brings the blocks up to date.
  void SetColour(TColor& field, TColor value);

  TPeakLedDisplayOrientation FOrientation = loVertical;
  bool FCtl3D = true;
  int32_t FSpacing = 2;
  int32_t FMax = 10;
  int32_t FLevel = 0;
  int32_t FPeak = 0;
  int32_t FBlockACount = 5;
  int32_t FBlockBCount = 3;
  int32_t FBlockCCount = 2;
  TColor FActiveColor1 = clLime;
  TColor FActiveColor2 = clYellow;
  TColor FActiveColor3 = clRed;
  TColor FDeadColor1 = clGreen;
  TColor FDeadColor2 = clOlive;
  TColor FDeadColor3 = clMaroon;
  TColor FPeakColor = clFuchsia;
  bool FOnePeakColor = true;

  Bitmap FCanvas;
  // What the blocks in FCanvas show; FDrawn is false after the background
  // was redrawn or a colour changed, when every block needs drawing.
  bool FDrawn = false;
  LedCounts FDrawnCounts{};
};
