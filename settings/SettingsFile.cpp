#include "settings/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

SettingsFileText ReadSettingsFile(const QString& path) {
  SettingsFileText file;
  file.Target = path;
  QFile f(path);
  if (!f.exists()) return file;
  if (!f.open(QIODevice::ReadOnly)) {
    file.Check = SettingsFileText::State::Refused;
    file.Problem = QStringLiteral("cannot be read: ") + f.errorString();
    return file;
  }
  file.Text = f.readAll();
  file.Check = SettingsFileText::State::Regular;
  return file;
}

bool ReplaceSettingsFile(const QString& target, const QByteArray& text) {
  if (!QDir().mkpath(QFileInfo(target).absolutePath())) return false;
  // The text goes out unbuffered, so that a short write (a full disk, a
  // file-size limit) is seen here and cancels the rename.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return false;
  if (file.write(text) != text.size()) file.cancelWriting();
  return file.commit();
}
