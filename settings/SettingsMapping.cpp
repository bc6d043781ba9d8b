// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsMapping.h"

#include <limits>

#include "platform/CheckControls.h"
#include "platform/IntParse.h"
#include "platform/SpinEdit.h"
#include "platform/UpDown.h"

namespace {

constexpr int32_t DefaultPosition = 5;
constexpr int32_t DefaultEditValue = 50;

// A boolean is stored as 1 or 0 and read as true when it is not 0.
template <class Box> int32_t Ticked(const QWidget& control) {
  return static_cast<const Box&>(control).Checked() ? 1 : 0;
}
template <class Box> void Tick(QWidget& control, int32_t value) {
  static_cast<Box&>(control).SetChecked(value != 0);
}

int32_t PositionOf(const QWidget& control) {
  return static_cast<const UpDown&>(control).Position();
}
// Taken over unclamped; beyond 16 bits it is no position and reads as the default.
void SetPosition(QWidget& control, int32_t value) {
  if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
    value = DefaultPosition;
  static_cast<UpDown&>(control).SetPosition(static_cast<int16_t>(value));
}

// The edit's text as a whole number, or its MinValue; not clamped.
int32_t EditValueOf(const QWidget& control) {
  const auto& edit = static_cast<const SpinEdit&>(control);
  return ParseInteger(edit.Text()).value_or(edit.MinValue);
}
void SetEditValue(QWidget& control, int32_t value) {
  static_cast<SpinEdit&>(control).SetValue(value);
}

const StoredKind CheckBoxKind{"CB", 0, Ticked<CheckBox>, Tick<CheckBox>};
const StoredKind RadioButtonKind{"RB", 0, Ticked<RadioButton>, Tick<RadioButton>};
const StoredKind UpDownKind{"UD", DefaultPosition, PositionOf, SetPosition};
const StoredKind SpinEditKind{"SE", DefaultEditValue, EditValueOf, SetEditValue};

} // namespace

const StoredKind* StoredKindOf(const QWidget& control) {
  if (qobject_cast<const CheckBox*>(&control) != nullptr) return &CheckBoxKind;
  if (qobject_cast<const RadioButton*>(&control) != nullptr) return &RadioButtonKind;
  if (qobject_cast<const UpDown*>(&control) != nullptr) return &UpDownKind;
  if (qobject_cast<const SpinEdit*>(&control) != nullptr) return &SpinEditKind;
  return nullptr;
}

QString ValueName(const StoredKind& kind, int index) {
  return QString::fromLatin1(kind.Prefix) + QString::number(index);
}
