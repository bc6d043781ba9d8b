// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the mouse is holding: the ruler or an oscilloscope trace.

#include <cstdint>

struct DragState {
  bool RulerDragging = false;
  int32_t RulerGrabX = 0; // pointer x in the paint box when the drag began
  bool DragR = false, DragL = false;
  int32_t ScopeGrabX = 0; // pointer x in the window at the latest button-down
};
