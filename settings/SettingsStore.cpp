#include "settings/SettingsStore.h"

#include <cstdio>

#include <QSettings>

#include "platform/IntParse.h"

namespace {
const QString Section = QStringLiteral("Veltrano");
} // namespace

SettingsStore::SettingsStore() {
#ifdef Q_OS_WIN
  settings_ = std::make_unique<QSettings>(QStringLiteral("HKEY_CURRENT_USER\\SOFTWARE\\Zenko"),
                                          QSettings::NativeFormat);
#else
  settings_ = std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope,
                                          QStringLiteral("Zenko"), QStringLiteral("Veltrano"));
#endif
  if (settings_->status() == QSettings::FormatError)
    std::fprintf(stderr, "Veltrano: the settings file %s is not valid; using the defaults.\n",
                 qPrintable(settings_->fileName()));
  settings_->beginGroup(Section);
}

SettingsStore::~SettingsStore() = default;

int32_t SettingsStore::ReadInteger(const QString& name, int32_t defaultValue) const {
  const QVariant value = settings_->value(name);
  // Only text counts; an INI line that Qt reads as a list is not a number.
  if (value.typeId() != QMetaType::QString && value.typeId() != QMetaType::QByteArray)
    return defaultValue;
  return ParseInteger(value.toString()).value_or(defaultValue);
}

bool SettingsStore::ReadBool(const QString& name, bool defaultValue) const {
  return ReadInteger(name, defaultValue ? 1 : 0) != 0;
}

void SettingsStore::WriteInteger(const QString& name, int32_t value) {
  settings_->setValue(name, QString::number(value));
}

void SettingsStore::WriteBool(const QString& name, bool value) {
  settings_->setValue(name, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool SettingsStore::Flush() {
  settings_->sync();
  if (settings_->status() == QSettings::NoError) return true;
  std::fprintf(stderr, "Veltrano: could not save the settings to %s; they are lost.\n",
               qPrintable(settings_->fileName()));
  return false;
}

QString SettingsStore::FileName() const {
  return settings_->fileName();
}
