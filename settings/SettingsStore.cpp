#include "settings/SettingsStore.h"

#include <cstdio>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QSettings>

#include "platform/IntParse.h"

namespace {

const QString Section = QStringLiteral("Veltrano");

std::unique_ptr<QSettings> OpenNative() {
#ifdef Q_OS_WIN
  return std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Zenko"),
                                     QSettings::NativeFormat);
#else
  return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                     QStringLiteral("Zenko"), QStringLiteral("Veltrano"));
#endif
}

// Only text counts; an INI line that Qt reads as a list is not a number.
std::optional<int32_t> IntegerOf(const QVariant& value) {
  if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
    return std::nullopt;
  return ParseInteger(value.toString());
}

// Names that can be written back as they stand: letters and digits.
bool PlainName(const QString& name) {
  if (name.isEmpty() || !name[0].isLetter()) return false;
  for (QChar c : name)
    if (c.unicode() > 127 || !c.isLetterOrNumber()) return false;
  return true;
}

} // namespace

SettingsStore::SettingsStore() {
  const std::unique_ptr<QSettings> settings = OpenNative();
  fileName_ = settings->fileName();
  settings->beginGroup(Section);
  // Reading every key parses the whole section, so a corrupt file shows up
  // here and not at the first lookup.
  for (const QString& key : settings->childKeys())
    stored_.insert(key, settings->value(key));
  if (settings->status() != QSettings::NoError) {
    std::fprintf(stderr, "Veltrano: the settings file %s could not be read; using the defaults.\n",
                 qPrintable(fileName_));
    stored_.clear();
  }
}

int32_t SettingsStore::ReadInteger(const QString& name, int32_t defaultValue) const {
  if (const auto w = written_.constFind(name); w != written_.cend()) return *w;
  const auto s = stored_.constFind(name);
  if (s == stored_.cend()) return defaultValue;
  return IntegerOf(*s).value_or(defaultValue);
}

bool SettingsStore::ReadBool(const QString& name, bool defaultValue) const {
  return ReadInteger(name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::WriteInteger(const QString& name, int32_t value) {
  written_.insert(name, value);
}

void SettingsStore::WriteBool(const QString& name, bool value) {
  written_.insert(name, value ? 1 : 0);
}

bool SettingsStore::Flush() {
  // Stored values that were not written again are kept when they hold a
  // number; anything else in the section reads as the default and is dropped.
  QMap<QString, int32_t> values = written_;
  for (auto s = stored_.cbegin(); s != stored_.cend(); ++s) {
    const std::optional<int32_t> v = IntegerOf(s.value());
    if (v && PlainName(s.key()) && !values.contains(s.key())) values.insert(s.key(), *v);
  }

  bool saved = false;
#ifdef Q_OS_WIN
  const std::unique_ptr<QSettings> settings = OpenNative();
  settings->beginGroup(Section);
  for (auto v = values.cbegin(); v != values.cend(); ++v)
    settings->setValue(v.key(), QString::number(v.value()));
  settings->sync();
  saved = settings->status() == QSettings::NoError;
#else
  // QSaveFile writes a temporary file beside the old one and renames it over
  // the old one only on commit, so a crash on the way leaves the earlier file
  // as it was. Its commit does not notice a short buffered write (a full disk,
  // a file-size limit), so the text goes out unbuffered and a short write
  // cancels the commit.
  QByteArray text = "[" + Section.toLatin1() + "]\n";
  for (auto v = values.cbegin(); v != values.cend(); ++v)
    text += v.key().toLatin1() + '=' + QByteArray::number(v.value()) + '\n';
  QSaveFile file(fileName_);
  if (QDir().mkpath(QFileInfo(fileName_).absolutePath()) &&
      file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
    if (file.write(text) != text.size()) file.cancelWriting();
    saved = file.commit();
  }
#endif
  if (!saved)
    std::fprintf(stderr, "Veltrano: could not save the settings to %s; they are lost.\n",
                 qPrintable(fileName_));
  return saved;
}
