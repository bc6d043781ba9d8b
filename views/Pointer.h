#pragma once
// What the mouse is holding: the ruler or an oscilloscope trace; and the
// program's own cursors, by their numbers in the application's cursor table.

#include <cstdint>

inline constexpr int crCrossHairs = 1, crOpenHand = 2, crGrip = 3;

struct DragState {
  bool RulerDragging = false;
  int32_t RulerGrabX = 0; // pointer x in the paint box when the drag began
  bool DragR = false, DragL = false;
  int32_t ScopeGrabX = 0; // pointer x in the window at the latest button-down
};
