// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Which controls are stored, under which value names, and how each kind of
// control gives and takes its value: the one table that the load and the
// save both walk.

#include <cstdint>

#include <QString>

class QWidget;

// How one kind of control is stored: the prefix of its value names, the
// value it gets when nothing is stored, and its accessors.
struct StoredKind {
  const char* Prefix;
  int32_t Default;
  int32_t (*Get)(const QWidget& control);
  // Through the control's ordinary setter, so its handlers run as for any
  // other change.
  void (*Set)(QWidget& control, int32_t value);
};

// The control's kind, or nullptr for kinds that are not stored.
const StoredKind* StoredKindOf(const QWidget& control);

// "CB6", "RB7", "UD16", "SE64": the kind's prefix and the component's index.
QString ValueName(const StoredKind& kind, int index);

inline constexpr int DefaultRulerLeft = 992;
inline constexpr int DefaultSensLinear = 1;
inline constexpr int DefaultSensSqrt = 1;
inline constexpr int DefaultSensLog = 5;
// The "Measurements" window: its place on the screen (a place on no screen
// puts it beside the main window) and whether it is open.
inline constexpr int DefaultMeasurementLeft = -32768;
inline constexpr int DefaultMeasurementTop = -32768;
inline constexpr int DefaultMeasurementOpen = 0;

// The ruler's left edge is saved only within this range.
constexpr bool RulerLeftSavable(int left) {
  return left >= -28 && left <= 995;
}
