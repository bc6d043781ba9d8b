// SPDX-License-Identifier: GPL-3.0-or-later
// The mouse over the window: the cursors that mark the display and the
// oscilloscope, the sideways drag of the oscilloscope's traces, and the drag
// of the ruler. Coordinates are logical window pixels, or a control's own
// pixels when a control passes its events on.

#include <algorithm>

#include "app/Main.h"
#include "platform/Appearance.h"
#include "platform/Cursors.h"
#include "views/ViewCursors.h"

void TForm1::FormMouseDown(QObject*, Qt::MouseButton Button, Qt::KeyboardModifiers, int X, int Y) {
  if (Button == Qt::RightButton && Geometry::InDisplay(X, Y)) ShowDisplayMenu({X, Y});
  if (!Scope->Checked() || !AnyChannel) return;
  Drag.ScopeGrabX = X;
  if (ScreenCursor() == crOpenHand) SetScreenCursor(crGrip);
  if (!Geometry::InScope(X, Y)) return;
  if (Button == Qt::RightButton) {
    Drag.DragR = true;
    ScopeS.ScopeShiftR0 = ScopeS.ScopeShiftR;
  } else if (Button == Qt::LeftButton) {
    Drag.DragL = true;
    ScopeS.ScopeShiftL0 = ScopeS.ScopeShiftL;
  }
}

void TForm1::FormMouseMove(QObject*, Qt::KeyboardModifiers, int X, int Y) {
  PointerReadout(X, Y);
  const bool inDisplay = Geometry::InDisplay(X, Y);
  const bool inScope = Geometry::InScope(X, Y);
  const bool dragging = Drag.DragR || Drag.DragL;
  if (inScope && !dragging && Scope->Checked() && AnyChannel) SetScreenCursor(crOpenHand);
  if (inDisplay && !dragging) SetScreenCursor(crCrossHairs);
  if (!inDisplay && !inScope && !dragging) SetScreenCursor(crDefault);
  // With Sync ticked the trigger would set the trace's start, not the shift.
  if (inScope && dragging) Sync->SetChecked(false);
  const int cursor = ScreenCursor();
  if ((cursor == crOpenHand || cursor == crDefault) && !AutoFrqCount->Checked()) {
    SetFontColor(RFrq, clBtnShadow);
    SetFontColor(LFrq, clBtnShadow);
  }
  // DrawScope clamps each shift to the block and keeps the clamped value.
  if (Drag.DragR) {
    ScopeS.ScopeShiftR = ScopeS.ScopeShiftR0 + X - Drag.ScopeGrabX;
    DrawScope();
  }
  if (Drag.DragL) {
    ScopeS.ScopeShiftL = ScopeS.ScopeShiftL0 + X - Drag.ScopeGrabX;
    DrawScope();
  }
  // A right-button drag ends where the oscilloscope ends; a left-button one
  // lasts until the button is released.
  if (!inScope && !Drag.DragL) Drag.DragR = false;
}

// Also runs for the controls, with their own coordinates tested as they are.
void TForm1::FormMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int X, int Y) {
  if (!Scope->Checked() || !AnyChannel) return;
  Drag.DragR = false;
  Drag.DragL = false;
  const bool inScope = Geometry::InScope(X, Y);
  if (inScope) SetScreenCursor(crOpenHand);
  if (!inScope && !Geometry::InDisplay(X, Y)) SetScreenCursor(crDefault);
}

// Moving over any control gives the default cursor back, unless a trace is held.
void TForm1::GeneratorGroupMouseMove(QObject*, Qt::KeyboardModifiers, int, int) {
  if (!Drag.DragR && !Drag.DragL) SetScreenCursor(crDefault);
}

void TForm1::PaintBoxMouseDown(QObject*, Qt::MouseButton Button, Qt::KeyboardModifiers, int X,
                               int) {
  if (Button != Qt::LeftButton) return;
  Drag.RulerGrabX = X;
  Drag.RulerDragging = true;
}

// X is in the paint box, which moves with the panel: the grabbed point stays
// under the pointer. No limits while the ruler moves.
void TForm1::PaintBoxMouseMove(QObject*, Qt::KeyboardModifiers, int X, int) {
  if (Drag.RulerDragging) RulerPanel->move(RulerPanel->x() + X - Drag.RulerGrabX, RulerPanel->y());
  SetScreenCursor(crHSplit);
}

void TForm1::PaintBoxMouseUp(QObject*, Qt::MouseButton Button, Qt::KeyboardModifiers, int, int) {
  if (Button != Qt::LeftButton) return;
  Drag.RulerDragging = false;
  RulerPanel->move(std::clamp(RulerPanel->x(), Geometry::RulerMinLeft, Geometry::RulerMaxLeft),
                   RulerPanel->y());
}
