// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/SettingsFile.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "platform/AtomicFile.h"

namespace {

QString NotRegular(mode_t mode) {
  if (S_ISFIFO(mode)) return QStringLiteral("is a FIFO, not a regular file");
  if (S_ISDIR(mode)) return QStringLiteral("is a folder, not a regular file");
  if (S_ISCHR(mode) || S_ISBLK(mode)) return QStringLiteral("is a device, not a regular file");
  return QStringLiteral("is not a regular file");
}

QString SystemError(const char* what) {
  return QString::fromLatin1(what) + QString::fromLocal8Bit(std::strerror(errno));
}

SettingsFileText Refused(QString problem) {
  SettingsFileText file;
  file.Check = SettingsFileText::State::Refused;
  file.Problem = std::move(problem);
  return file;
}

QString TooLarge() {
  return QStringLiteral("is larger than %1, so it is not a settings file")
      .arg(QLatin1String(MaxSettingsFileSize));
}

// Reads a regular file that is open as fd, to its end or until the text is
// past the limit.
bool ReadAll(int fd, QByteArray* text) {
  char chunk[65536];
  for (;;) {
    const ssize_t n = read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0 || text->size() > MaxSettingsFileBytes) return true;
    text->append(chunk, n);
  }
}

} // namespace

QString ConfigFolder(const QByteArray& xdgConfigHome, const QByteArray& home) {
  if (xdgConfigHome.startsWith('/')) return QFile::decodeName(xdgConfigHome);
  if (home.startsWith('/')) return QFile::decodeName(home) + QStringLiteral("/.config");
  return {};
}

SettingsFileText ReadSettingsFile(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  struct stat link {};
  if (lstat(name.constData(), &link) != 0) {
    if (errno != ENOENT) return Refused(SystemError("cannot be read: "));
    SettingsFileText file;
    file.Target = path;
    return file;
  }
  // The type is known before anything is opened: a device is never opened
  // and a FIFO never waited on.
  struct stat target {};
  if (stat(name.constData(), &target) != 0)
    return Refused(errno == ENOENT ? QStringLiteral("is a symbolic link that leads nowhere")
                                   : SystemError("cannot be read: "));
  if (!S_ISREG(target.st_mode)) return Refused(NotRegular(target.st_mode));
  if (target.st_size > MaxSettingsFileBytes) return Refused(TooLarge());

  // O_NONBLOCK: should a FIFO take the file's place meanwhile, the open does
  // not wait for a writer, and the check below refuses it.
  const int fd = open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return Refused(SystemError("cannot be read: "));
  SettingsFileText file;
  struct stat opened {};
  if (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
    file = Refused(NotRegular(opened.st_mode));
  } else if (!ReadAll(fd, &file.Text)) {
    file = Refused(SystemError("cannot be read: "));
  } else if (file.Text.size() > MaxSettingsFileBytes) {
    file = Refused(TooLarge());
  } else {
    file.Check = SettingsFileText::State::Regular;
    file.Target = S_ISLNK(link.st_mode) ? QFileInfo(path).canonicalFilePath() : path;
  }
  close(fd);
  return file;
}

bool ReplaceSettingsFile(const QString& target, const QByteArray& text) {
  if (!QDir().mkpath(QFileInfo(target).absolutePath())) return false;
  return WriteFileAtomically(target, text).isEmpty();
}
