// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The settings file on disk. It is read and replaced only when it is a
// regular file of at most MaxSettingsFileBytes, or a symbolic link that leads
// to one: then the file it leads to is replaced and the link stays a link.
// Anything else at the path (a FIFO, a device, a folder, a link that leads
// nowhere) is never opened for writing, and a FIFO is never waited on.

#include <QByteArray>
#include <QString>

// 1 MiB of anyone's text and room for what a save of the program adds (its
// own section is under 2 KiB): a file that was read and then saved is read
// again at the next start. A save whose text would pass it writes nothing.
inline constexpr qint64 MaxSettingsFileBytes = 1024 * 1024 + 64 * 1024;
inline constexpr const char* MaxSettingsFileSize = "1088 KiB";

// The folder of configuration files by the XDG base-directory rules:
// XDG_CONFIG_HOME when it is an absolute path, else HOME/.config when HOME is
// one; a relative value counts as unset. Empty when neither gives a folder.
QString ConfigFolder(const QByteArray& xdgConfigHome, const QByteArray& home);

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
