#pragma once
// The settings file on disk.

#include <QByteArray>
#include <QString>

struct SettingsFileText {
  enum class State { Missing, Regular, Refused } Check = State::Missing;
  QByteArray Text; // the content of a regular file
  QString Target;  // the file to replace: the path itself or where its link leads
  QString Problem; // why it was refused, to follow the file's name in a message
};

SettingsFileText ReadSettingsFile(const QString& path);

// Replaces target in one piece: a new file beside it is renamed over it only
// once all of the text is written. On any failure, a full disk or a file-size
// limit included, the earlier file stays as it was and the answer is false.
bool ReplaceSettingsFile(const QString& target, const QByteArray& text);
