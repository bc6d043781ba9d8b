#pragma once
// An up-down position limited to the control's range. A position restored
// from the settings file may lie outside it; the views draw with the limited
// value so that no table or bitmap is read or written outside its bounds.

#include <algorithm>

#include "platform/UpDown.h"

inline int WithinRange(const UpDown& control, int position) {
  return std::clamp(position, std::min(control.Min, control.Max),
                    std::max(control.Min, control.Max));
}
inline int WithinRange(const UpDown& control) {
  return WithinRange(control, control.Position());
}
