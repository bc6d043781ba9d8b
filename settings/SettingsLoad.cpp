// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsLoad.h"

#include <string>
#include <utility>

#include <QFileInfo>

#include "platform/WaveAudio.h"
#include "settings/SettingsMapping.h"
#include "settings/SettingsStore.h"

namespace {

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

std::vector<StoredValue> ControlValues(std::span<QWidget* const> controls) {
  std::vector<StoredValue> values;
  for (size_t index = 0; index < controls.size(); ++index) {
    QWidget& control = *controls[index];
    const StoredKind* kind = StoredKindOf(control);
    if (kind == nullptr) continue;
    values.push_back({ValueName(*kind, static_cast<int>(index)), kind->Default,
                      [&control, kind] { return kind->Get(control); },
                      [&control, kind](int32_t v) { kind->Set(control, v); }});
  }
  return values;
}

void LoadSettings(const SettingsStore& store, const std::vector<StoredValue>& values,
                  WaveAudio& audio, QString& lastFolder) {
  for (const StoredValue& v : values)
    v.Set(store.ReadInteger(v.Name, v.Default));
  // A choice on the command line wins over the remembered one.
  for (const auto& [name, capture] : StoredDevices) {
    const std::string stored = DeviceNameOf(store.ReadText(QString::fromLatin1(name)));
    if (audio.ChosenDevice(capture).empty()) audio.ChooseDevice(capture, stored);
  }
  // Percent-encoded, so that no character of a path can break the file's line.
  const QString folder = QString::fromUtf8(
      QByteArray::fromPercentEncoding(store.ReadText(QString::fromLatin1(LastFolderKey))));
  if (!folder.isEmpty() && QFileInfo(folder).isDir()) lastFolder = folder;
}

void SaveSettings(SettingsStore& store, const std::vector<StoredValue>& values,
                  const WaveAudio& audio, const QString* chosenFolder) {
  for (const StoredValue& v : values)
    if (v.Savable) store.WriteInteger(v.Name, v.Get());
  // A file that never had a choice gets none for the defaults.
  for (const auto& [name, capture] : StoredDevices) {
    const QString key = QString::fromLatin1(name);
    const std::string device = audio.ChosenDevice(capture);
    if (!(device.empty() && store.ReadText(key).isNull()))
      store.WriteText(key, DeviceNameText(device));
  }
  if (chosenFolder != nullptr)
    store.WriteText(QString::fromLatin1(LastFolderKey),
                    chosenFolder->toUtf8().toPercentEncoding("/"));
  store.Flush();
}
