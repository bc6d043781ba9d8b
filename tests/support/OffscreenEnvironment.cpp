// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/support/OffscreenEnvironment.h"

#include <QDir>
#include <QFile>

bool PrepareOffscreenEnvironment(const QString& home, int screenWidth, int screenHeight) {
  const QString config = home + QStringLiteral("/config");
  const QString runtime = home + QStringLiteral("/runtime");
  if (!QDir().mkpath(config) || !QDir().mkpath(runtime)) return false;
  QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  const QString screens = home + QStringLiteral("/screens.json");
  QFile json(screens);
  if (!json.open(QIODevice::WriteOnly)) return false;
  json.write(QStringLiteral(R"({"screens":[{"name":"s","x":0,"y":0,"width":%1,"height":%2,)"
                            R"("logicalDpi":96}]})")
                 .arg(screenWidth)
                 .arg(screenHeight)
                 .toUtf8());
  json.close();
  qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
  qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
  qputenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + screens).toLocal8Bit());
  return true;
}
