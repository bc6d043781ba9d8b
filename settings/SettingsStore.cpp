// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsStore.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <memory>

#include <QSettings>
#endif

#include "platform/IntParse.h"
#include "settings/IniDocument.h"
#include "settings/SettingsFile.h"

namespace {

const QString Section = QStringLiteral("Veltrano");

#ifdef Q_OS_WIN
std::unique_ptr<QSettings> OpenRegistry() {
  auto settings = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Zenko"),
                                              QSettings::NativeFormat);
  settings->beginGroup(Section);
  return settings;
}
#endif

} // namespace

SettingsStore::SettingsStore() {
#ifdef Q_OS_WIN
  const std::unique_ptr<QSettings> settings = OpenRegistry();
  fileName_ = settings->fileName();
  for (const QString& key : settings->childKeys())
    stored_.insert(key, settings->value(key).toString().toUtf8());
#else
  const QString folder = ConfigFolder(qgetenv("XDG_CONFIG_HOME"), qgetenv("HOME"));
  if (folder.isEmpty()) {
    std::fputs("Veltrano: neither XDG_CONFIG_HOME nor HOME is an absolute path, so there is no "
               "folder for the settings: the defaults are used and the settings will not be "
               "kept.\n",
               stderr);
    return;
  }
  fileName_ = folder + QStringLiteral("/Zenko/Veltrano.conf");
  const SettingsFileText file = ReadSettingsFile(fileName_);
  if (file.Check == SettingsFileText::State::Refused) {
    std::fprintf(stderr,
                 "Veltrano: the settings file %s %s; the defaults are used and nothing will be "
                 "saved over it.\n",
                 qPrintable(fileName_), qPrintable(file.Problem));
    return;
  }
  const IniDocument document(file.Text);
  for (int line : document.UnreadableLines(Section.toUtf8()))
    std::fprintf(stderr,
                 "Veltrano: line %d of the settings file %s cannot be read; it is skipped.\n", line,
                 qPrintable(fileName_));
  for (const auto& [name, text] : document.Values(Section.toUtf8()))
    stored_.insert(QString::fromUtf8(name), text);
#endif
}

int32_t SettingsStore::ReadInteger(const QString& name, int32_t defaultValue) const {
  const QByteArray text = ReadText(name);
  if (text.isNull()) return defaultValue;
  return ParseInteger(QString::fromUtf8(text)).value_or(defaultValue);
}

void SettingsStore::WriteInteger(const QString& name, int32_t value) {
  WriteText(name, QByteArray::number(value));
}

QByteArray SettingsStore::ReadText(const QString& name) const {
  if (const auto w = written_.constFind(name); w != written_.cend()) return *w;
  return stored_.value(name);
}

void SettingsStore::WriteText(const QString& name, const QByteArray& text) {
  if (!written_.contains(name)) writtenOrder_.append(name);
  written_.insert(name, text);
}

bool SettingsStore::Flush() {
  std::vector<IniValue> values;
  for (const QString& name : writtenOrder_)
    values.emplace_back(name.toUtf8(), written_.value(name));
#ifdef Q_OS_WIN
  const std::unique_ptr<QSettings> settings = OpenRegistry();
  for (const auto& [name, text] : values)
    settings->setValue(QString::fromUtf8(name), QString::fromUtf8(text));
  settings->sync();
  const bool saved = settings->status() == QSettings::NoError;
#else
  // Without a folder for the settings nothing is written; that was said once.
  if (fileName_.isEmpty()) return false;
  // Read again: whatever changed in the file meanwhile, beside the values
  // written here, is kept.
  const SettingsFileText file = ReadSettingsFile(fileName_);
  if (file.Check == SettingsFileText::State::Refused) {
    std::fprintf(stderr, "Veltrano: could not save the settings: the settings file %s %s.\n",
                 qPrintable(fileName_), qPrintable(file.Problem));
    return false;
  }
  IniDocument document(file.Text);
  document.Set(Section.toUtf8(), values);
  const QByteArray text = document.Text();
  if (text.size() > MaxSettingsFileBytes) {
    std::fprintf(stderr,
                 "Veltrano: could not save the settings: they would make the settings file %s "
                 "larger than %s, which is not read; it stays as it was.\n",
                 qPrintable(fileName_), MaxSettingsFileSize);
    return false;
  }
  const bool saved = ReplaceSettingsFile(file.Target, text);
#endif
  if (!saved)
    std::fprintf(stderr, "Veltrano: could not save the settings to %s; they are lost.\n",
                 qPrintable(fileName_));
  return saved;
}
