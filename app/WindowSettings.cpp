// SPDX-License-Identifier: GPL-3.0-or-later
// The window's stored values: its controls, the ruler, the three
// sensitivities and the "Measurements" window, handed to the settings store.
// A window of its own adds its values here.

#include <tuple>

#include "app/Main.h"
#include "app/MeasurementWindow.h"
#include "settings/SettingsLoad.h"
#include "settings/SettingsMapping.h"

std::vector<StoredValue> TForm1::StoredValues() {
  std::vector<StoredValue> values = ControlValues(components_);
  Panel& ruler = *RulerPanel;
  values.push_back({QStringLiteral("RP"), DefaultRulerLeft, [&ruler] { return ruler.x(); },
                    [&ruler](int32_t v) { ruler.move(v, ruler.y()); },
                    RulerLeftSavable(ruler.x())});
  for (const auto& [name, fallback, member] :
       {std::tuple{"SLN", DefaultSensLinear, &Spectrum.SensLinear},
        std::tuple{"SSQ", DefaultSensSqrt, &Spectrum.SensSqrt},
        std::tuple{"SLG", DefaultSensLog, &Spectrum.SensLog}})
    values.push_back({QString::fromLatin1(name), fallback, [member] { return *member; },
                      [member](int32_t v) { *member = v; }});
  MeasurementWindow& m = *Measurements;
  values.push_back({QStringLiteral("MWX"), DefaultMeasurementLeft, [&m] { return m.Place.x(); },
                    [&m](int32_t v) { m.Place.setX(v); }});
  values.push_back({QStringLiteral("MWY"), DefaultMeasurementTop, [&m] { return m.Place.y(); },
                    [&m](int32_t v) { m.Place.setY(v); }});
  values.push_back({QStringLiteral("MWO"), DefaultMeasurementOpen,
                    [&m] { return m.isVisible() ? 1 : 0; },
                    [&m](int32_t v) { m.OpenAtStart = v != 0; }});
  return values;
}

void TForm1::LoadSettings() {
  Settings = std::make_unique<SettingsStore>();
  ::LoadSettings(*Settings, StoredValues(), *Audio, LastFolder);
}

void TForm1::SaveSettings() {
  if (Settings)
    ::SaveSettings(*Settings, StoredValues(), *Audio, FolderChosen ? &LastFolder : nullptr);
}
