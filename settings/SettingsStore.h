#pragma once
// The per-user settings store: named integer and boolean values as decimal
// text in one section. On Linux the INI file
// $XDG_CONFIG_HOME/Zenko/Veltrano.conf (~/.config when the variable is unset),
// section [Veltrano]; on Windows the registry key
// HKEY_CURRENT_USER\SOFTWARE\Zenko, subkey Veltrano.

#include <cstdint>
#include <memory>

#include <QString>

class QSettings;

class SettingsStore {
public:
  SettingsStore();
  ~SettingsStore();

  // A missing value, or one whose text is not a whole number, gives the
  // default. A boolean is true when its integer is not 0.
  int32_t ReadInteger(const QString& name, int32_t defaultValue) const;
  bool ReadBool(const QString& name, bool defaultValue) const;
  void WriteInteger(const QString& name, int32_t value);
  void WriteBool(const QString& name, bool value);

  // Writes the file in one piece; false (with a message on standard error)
  // when it could not be written, in which case the earlier file stays.
  bool Flush();
  QString FileName() const;

private:
  std::unique_ptr<QSettings> settings_;
};
