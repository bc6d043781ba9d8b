#include "settings/SettingsMapping.h"

std::optional<QString> ValueName(ComponentKind kind, int index) {
  const char* prefix = nullptr;
  switch (kind) {
  case ComponentKind::CheckBox:
    prefix = "CB";
    break;
  case ComponentKind::RadioButton:
    prefix = "RB";
    break;
  case ComponentKind::UpDown:
    prefix = "UD";
    break;
  case ComponentKind::SpinEdit:
    prefix = "SE";
    break;
  default:
    return std::nullopt;
  }
  return QString::fromLatin1(prefix) + QString::number(index);
}
