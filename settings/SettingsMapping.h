#pragma once
// Which components are stored, and under which value names.

#include <optional>

#include <QString>

#include "app/Components.h"

// "CB6", "RB7", "UD16", "SE64": the kind's prefix and the component's index;
// nothing for kinds that are not stored.
std::optional<QString> ValueName(ComponentKind kind, int index);

inline constexpr int DefaultUpDownPosition = 5;
inline constexpr int DefaultSpinEditValue = 50;
inline constexpr int DefaultRulerLeft = 992;
inline constexpr int DefaultSensLinear = 1;
inline constexpr int DefaultSensSqrt = 1;
inline constexpr int DefaultSensLog = 5;

// The ruler's left edge is saved only within this range.
constexpr bool RulerLeftSavable(int left) {
  return left >= -28 && left <= 995;
}
