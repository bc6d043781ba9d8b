// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-user settings store: named integer values as decimal text in one
// section. On Linux the INI file $XDG_CONFIG_HOME/Zenko/Veltrano.conf
// ($HOME/.config when the variable is unset or relative; none, and nothing
// kept, without an absolute HOME either), section [Veltrano]; on Windows the
// registry key HKEY_CURRENT_USER\SOFTWARE\Zenko, subkey Veltrano.
//
// The section is read once, when the store is created, value by value: a line
// that cannot be read is skipped with a message on standard error and the
// others are used. Writes are kept until Flush, which replaces only the values
// written: other sections, comments and values of other names stay.

#include <cstdint>

#include <QMap>
#include <QString>
#include <QStringList>

class SettingsStore {
public:
  SettingsStore();

  // A missing value, or one whose text is not a whole number, gives the default.
  int32_t ReadInteger(const QString& name, int32_t defaultValue) const;
  void WriteInteger(const QString& name, int32_t value);
  // A value kept as it is written (a device's name); a missing one reads empty.
  QByteArray ReadText(const QString& name) const;
  void WriteText(const QString& name, const QByteArray& text);

  // Writes every value written so far into the file as it is then, in one
  // piece. False, with a message on standard error, when it could not be
  // written or the path holds no regular file; the earlier file stays as it was.
  bool Flush();
  QString FileName() const { return fileName_; }

private:
  QString fileName_;
  QMap<QString, QByteArray> stored_;  // the section's values as they were read
  QMap<QString, QByteArray> written_; // as they will be written
  QStringList writtenOrder_;
};
