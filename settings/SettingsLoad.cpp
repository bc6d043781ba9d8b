// Restoring every stored control at start and saving them all at close.

#include <limits>

#include "app/Main.h"
#include "platform/IntParse.h"
#include "settings/SettingsMapping.h"
#include "settings/SettingsStore.h"

void TForm1::LoadSettings() {
  Settings = std::make_unique<SettingsStore>();
  // In index order, through each control's ordinary setter, so the handlers
  // run as they would for any other change.
  for (const ComponentSpec& entry : Components) {
    const std::optional<QString> name = ValueName(entry.Kind, entry.Index);
    if (!name) continue;
    QWidget* control = Component(entry.Index);
    switch (entry.Kind) {
    case ComponentKind::CheckBox:
      static_cast<CheckBox*>(control)->SetChecked(Settings->ReadBool(*name, false));
      break;
    case ComponentKind::RadioButton:
      static_cast<RadioButton*>(control)->SetChecked(Settings->ReadBool(*name, false));
      break;
    case ComponentKind::UpDown: {
      int32_t position = Settings->ReadInteger(*name, DefaultUpDownPosition);
      // A position is 16 bits wide; anything beyond is not a stored position.
      if (position < std::numeric_limits<int16_t>::min() ||
          position > std::numeric_limits<int16_t>::max())
        position = DefaultUpDownPosition;
      static_cast<UpDown*>(control)->SetPosition(static_cast<int16_t>(position));
      break;
    }
    case ComponentKind::SpinEdit:
      static_cast<SpinEdit*>(control)->SetValue(Settings->ReadInteger(*name, DefaultSpinEditValue));
      break;
    default:
      break;
    }
  }
  RulerPanel->move(Settings->ReadInteger(QStringLiteral("RP"), DefaultRulerLeft), RulerPanel->y());
  Spectrum.SensLinear = Settings->ReadInteger(QStringLiteral("SLN"), DefaultSensLinear);
  Spectrum.SensSqrt = Settings->ReadInteger(QStringLiteral("SSQ"), DefaultSensSqrt);
  Spectrum.SensLog = Settings->ReadInteger(QStringLiteral("SLG"), DefaultSensLog);
}

void TForm1::SaveSettings() {
  if (!Settings) return;
  for (const ComponentSpec& entry : Components) {
    const std::optional<QString> name = ValueName(entry.Kind, entry.Index);
    if (!name) continue;
    QWidget* control = Component(entry.Index);
    switch (entry.Kind) {
    case ComponentKind::CheckBox:
      Settings->WriteBool(*name, static_cast<CheckBox*>(control)->Checked());
      break;
    case ComponentKind::RadioButton:
      Settings->WriteBool(*name, static_cast<RadioButton*>(control)->Checked());
      break;
    case ComponentKind::UpDown:
      Settings->WriteInteger(*name, static_cast<UpDown*>(control)->Position());
      break;
    case ComponentKind::SpinEdit: {
      const auto* edit = static_cast<SpinEdit*>(control);
      Settings->WriteInteger(*name, ParseInteger(edit->Text()).value_or(edit->MinValue));
      break;
    }
    default:
      break;
    }
  }
  if (RulerLeftSavable(RulerPanel->x()))
    Settings->WriteInteger(QStringLiteral("RP"), RulerPanel->x());
  Settings->WriteInteger(QStringLiteral("SLN"), Spectrum.SensLinear);
  Settings->WriteInteger(QStringLiteral("SSQ"), Spectrum.SensSqrt);
  Settings->WriteInteger(QStringLiteral("SLG"), Spectrum.SensLog);
  Settings->Flush();
}
