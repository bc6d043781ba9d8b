// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Cursors.h"

#include <map>

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

namespace {
struct CursorTable {
  std::map<int, QCursor> cursors{{crHSplit, QCursor(Qt::SplitHCursor)}};
  int current = crDefault;
};
CursorTable& Table() {
  static CursorTable table;
  return table;
}
} // namespace

bool LoadCursorResource(int number, const QString& name, int hotX, int hotY) {
  const QPixmap image(QStringLiteral(":/cursors/%1.xpm").arg(name));
  if (image.isNull()) return false;
  Table().cursors[number] = QCursor(image, hotX, hotY);
  return true;
}

bool HasCursor(int number) {
  return number == crDefault || Table().cursors.count(number) > 0;
}

void SetScreenCursor(int number) {
  CursorTable& table = Table();
  if (number == table.current) return;
  const bool overriding = table.current != crDefault;
  auto it = table.cursors.find(number);
  if (number == crDefault || it == table.cursors.end()) {
    if (overriding) QGuiApplication::restoreOverrideCursor();
    table.current = crDefault;
    return;
  }
  if (overriding)
    QGuiApplication::changeOverrideCursor(it->second);
  else
    QGuiApplication::setOverrideCursor(it->second);
  table.current = number;
}

int ScreenCursor() {
  return Table().current;
}
