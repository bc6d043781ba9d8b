// Restoring every stored value at start and saving them all at close: both
// walk the same list.

#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include <QFileInfo>

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

// The devices chosen on the LED meters' menu or the command line, by the
// server's names, under names of their own: input, then output.
constexpr std::pair<const char*, bool> StoredDevices[] = {{"InDevice", true}, {"OutDevice", false}};

// Where the last file was saved, so that the next save dialog starts there.
constexpr char LastFolderKey[] = "LastFolder";

// A device name as the file keeps it: any name the server gives (UTF-8, with
// spaces or any other character), percent-encoded so that nothing in it can
// break the file's line. The characters a name usually has stay as they are,
// so names stored before read the same.
QByteArray DeviceNameText(const std::string& name) {
  return QByteArray::fromStdString(name).toPercentEncoding(":@+");
}
std::string DeviceNameOf(const QByteArray& text) {
  return QByteArray::fromPercentEncoding(text).toStdString();
}

} // namespace

void TForm1::LoadSettings() {
  Settings = std::make_unique<SettingsStore>();
  ForEachStoredValue(
      *this, [this](const StoredValue& v) { v.Set(Settings->ReadInteger(v.Name, v.Default)); });
  // A choice on the command line wins over the remembered one.
  for (const auto& [name, capture] : StoredDevices) {
    const std::string stored = DeviceNameOf(Settings->ReadText(QString::fromLatin1(name)));
    if (Audio->ChosenDevice(capture).empty()) Audio->ChooseDevice(capture, stored);
  }
  // Percent-encoded, so that no character of a path can break the file's line.
  const QString folder = QString::fromUtf8(
      QByteArray::fromPercentEncoding(Settings->ReadText(QString::fromLatin1(LastFolderKey))));
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) LastFolder = folder;
}

void TForm1::SaveSettings() {
  if (!Settings) return;
  ForEachStoredValue(*this, [this](const StoredValue& v) {
    if (v.Savable) Settings->WriteInteger(v.Name, v.Get());
  });
  // A file that never had a choice gets none for the defaults.
  for (const auto& [name, capture] : StoredDevices) {
    const QString key = QString::fromLatin1(name);
    const std::string device = Audio->ChosenDevice(capture);
    if (!(device.empty() && Settings->ReadText(key).isNull()))
      Settings->WriteText(key, DeviceNameText(device));
  }
  if (FolderChosen)
    Settings->WriteText(QString::fromLatin1(LastFolderKey),
                        LastFolder.toUtf8().toPercentEncoding("/"));
  Settings->Flush();
}
