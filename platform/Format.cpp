#include "platform/Format.h"

#include <QLocale>

QString FormatFloat(const char* format, double value) {
  // Qt's printf formats numbers the same under every locale, with a point;
  // the user's separator then takes its place whole, however many bytes its
  // encoding needs.
  QString text = QString::asprintf(format, value);
  const QString point = QLocale().decimalPoint();
  if (point != QStringLiteral(".")) text.replace(QLatin1Char('.'), point);
  return text;
}
