// Restoring every stored value at start and saving them all at close: both
// walk the same list.

#include <functional>
#include <tuple>

#include "app/Main.h"
#include "app/MeasurementWindow.h"
#include "settings/SettingsMapping.h"
#include "settings/SettingsStore.h"

namespace {

// One stored value of the window with its accessors.
struct StoredValue {
  QString Name;
  int32_t Default;
  std::function<int32_t()> Get;
  std::function<void(int32_t)> Set;
  bool Savable = true; // written at close
};

// Every stored value in the order of loading and saving: the stored controls
// in component order, then the ruler, the three sensitivities and the
// "Measurements" window.
template <class Visit> void ForEachStoredValue(TForm1& f, Visit visit) {
  for (const ComponentSpec& entry : Components) {
    const StoredKind* kind = StoredKindOf(entry.Kind);
    if (kind == nullptr) continue;
    QWidget& control = *f.Component(entry.Index);
    visit(StoredValue{ValueName(*kind, entry.Index), kind->Default,
                      [&control, kind] { return kind->Get(control); },
                      [&control, kind](int32_t v) { kind->Set(control, v); }});
  }
  Panel& ruler = *f.RulerPanel;
  visit(StoredValue{QStringLiteral("RP"), DefaultRulerLeft, [&ruler] { return ruler.x(); },
                    [&ruler](int32_t v) { ruler.move(v, ruler.y()); },
                    RulerLeftSavable(ruler.x())});
  for (const auto& [name, fallback, member] :
       {std::tuple{"SLN", DefaultSensLinear, &f.Spectrum.SensLinear},
        std::tuple{"SSQ", DefaultSensSqrt, &f.Spectrum.SensSqrt},
        std::tuple{"SLG", DefaultSensLog, &f.Spectrum.SensLog}})
    visit(StoredValue{QString::fromLatin1(name), fallback, [member] { return *member; },
                      [member](int32_t v) { *member = v; }});
  MeasurementWindow& m = *f.Measurements;
  visit(StoredValue{QStringLiteral("MWX"), DefaultMeasurementLeft, [&m] { return m.Place.x(); },
                    [&m](int32_t v) { m.Place.setX(v); }});
  visit(StoredValue{QStringLiteral("MWY"), DefaultMeasurementTop, [&m] { return m.Place.y(); },
                    [&m](int32_t v) { m.Place.setY(v); }});
  visit(StoredValue{QStringLiteral("MWO"), DefaultMeasurementOpen,
                    [&m] { return m.isVisible() ? 1 : 0; },
                    [&m](int32_t v) { m.OpenAtStart = v != 0; }});
}

} // namespace

void TForm1::LoadSettings() {
  Settings = std::make_unique<SettingsStore>();
  ForEachStoredValue(
      *this, [this](const StoredValue& v) { v.Set(Settings->ReadInteger(v.Name, v.Default)); });
}

void TForm1::SaveSettings() {
  if (!Settings) return;
  ForEachStoredValue(*this, [this](const StoredValue& v) {
    if (v.Savable) Settings->WriteInteger(v.Name, v.Get());
  });
  Settings->Flush();
}
