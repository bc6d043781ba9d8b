// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/WindowFont.h"

#include <QFontDatabase>
#include <QStringList>

QFont WindowFont() {
  static const QFont font = [] {
    const QStringList families = QFontDatabase::families();
    QFont f;
    for (const char* name : {"MS Sans Serif", "Liberation Sans", "Arimo", "DejaVu Sans"}) {
      if (families.contains(QString::fromLatin1(name))) {
        f.setFamily(QString::fromLatin1(name));
        break;
      }
    }
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(11);
    return f;
  }();
  return font;
}
