#pragma once
// The per-user settings store: named integer and boolean values as decimal
// text in one section. On Linux the INI file
// $XDG_CONFIG_HOME/Zenko/Veltrano.conf (~/.config when the variable is unset),
// section [Veltrano]; on Windows the registry key
// HKEY_CURRENT_USER\SOFTWARE\Zenko, subkey Veltrano.
//
// The section is read once, when the store is created; writes are kept until
// Flush, which writes the whole section in one piece.

#include <cstdint>

#include <QMap>
#include <QString>
#include <QVariant>

class SettingsStore {
public:
  SettingsStore();

  // A missing value, or one whose text is not a whole number, gives the
  // default. A boolean is true when its integer is not 0.
  int32_t ReadInteger(const QString& name, int32_t defaultValue) const;
  bool ReadBool(const QString& name, bool defaultValue) const;
  void WriteInteger(const QString& name, int32_t value);
  void WriteBool(const QString& name, bool value);

  // Writes every value written so far, together with the stored values that
  // were not written again. False (with a message on standard error) when it
  // could not be written, in which case the earlier file stays as it was.
  bool Flush();
  QString FileName() const { return fileName_; }

private:
  QString fileName_;
  QMap<QString, QVariant> stored_; // the section as it was read
  QMap<QString, int32_t> written_;
};
