// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/AtomicFile.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/stat.h>

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

// While it lives, a write beyond the file-size limit fails with a short
// write, which is detected, instead of ending the program.
class FileSizeSignalIgnored {
public:
  FileSizeSignalIgnored() {
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    sigemptyset(&ignore.sa_mask);
    sigaction(SIGXFSZ, &ignore, &previous_);
  }
  ~FileSizeSignalIgnored() { sigaction(SIGXFSZ, &previous_, nullptr); }
  FileSizeSignalIgnored(const FileSizeSignalIgnored&) = delete;
  FileSizeSignalIgnored& operator=(const FileSizeSignalIgnored&) = delete;

private:
  struct sigaction previous_ {};
};

QString WriteProblem(int error) {
  if (error == ENOSPC || error == EDQUOT) return QStringLiteral("the disk is full");
  if (error == EFBIG) return QStringLiteral("the file is larger than the system allows");
  return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

QString WriteFileAtomically(const QString& path, const QByteArray& data) {
  QString target = path;
  struct stat existing {};
  if (stat(QFile::encodeName(path).constData(), &existing) == 0) {
    if (!S_ISREG(existing.st_mode)) return QStringLiteral("it is not a regular file");
    target = QFileInfo(path).canonicalFilePath();
  }
  const FileSizeSignalIgnored ignored;
  // The data go out unbuffered, so that a short write is seen here and
  // cancels the rename.
  QSaveFile file(target);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
  errno = 0;
  if (file.write(data) != data.size()) {
    const int error = errno;
    file.cancelWriting();
    file.commit();
    return WriteProblem(error != 0 ? error : ENOSPC);
  }
  if (!file.commit()) return errno != 0 ? WriteProblem(errno) : file.errorString();
  return {};
}
