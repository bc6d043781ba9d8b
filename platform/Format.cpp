#include "platform/Format.h"

#include <cstdio>

#include <QLocale>

QString FormatFloat(const char* format, double value) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, value);
  QString text = QString::fromLatin1(buffer);
  const QString point = QLocale().decimalPoint();
  if (point != QStringLiteral(".")) text.replace(QLatin1Char('.'), point);
  return text;
}
