// SPDX-License-Identifier: GPL-3.0-or-later
// Captions built on the stack: numbers as printf writes them, with the user's
// decimal separator.

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>

#include "platform/Format.h"

namespace {

// Builds a C-library locale whose only setting is a decimal separator of two
// bytes (U+066B) and makes it the numeric locale; false when the system
// cannot build one.
bool UseTwoByteSeparatorInTheCLibrary(const QTemporaryDir& dir) {
  QFile source(dir.filePath(QStringLiteral("numeric.src")));
  if (!source.open(QIODevice::WriteOnly)) return false;
  source.write("LC_NUMERIC\ndecimal_point \"<U066B>\"\nthousands_sep \"\"\ngrouping -1\n"
               "END LC_NUMERIC\n");
  source.close();
  const QString command = QStringLiteral("localedef -c -i '%1' -f UTF-8 '%2' >/dev/null 2>&1")
                              .arg(source.fileName(), dir.filePath(QStringLiteral("xx_XX.UTF-8")));
  std::system(command.toLocal8Bit().constData());
  setenv("LOCPATH", QFile::encodeName(dir.path()).constData(), 1);
  return std::setlocale(LC_NUMERIC, "xx_XX.UTF-8") != nullptr;
}

} // namespace

// Pashto's separator is U+066B, two bytes in UTF-8. The C library's numeric
// locale, set to the same separator, must not garble it.
TEST(CaptionText, TakesATwoByteSeparatorWhole) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Pashto, QLocale::Afghanistan));
  QTemporaryDir dir;
  const bool cLocale = UseTwoByteSeparatorInTheCLibrary(dir);
  const QString text = CaptionText().AppendFixed(-62.3, 2, 1).ToString();
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  QLocale::setDefault(saved);
  EXPECT_EQ(text, QStringLiteral("-62") + QChar(0x066B) + QStringLiteral("3"));
  if (!cLocale) GTEST_SKIP() << "localedef could not build the C library's locale";
}

// The same digits, rounding and padding as printf's "%W.Pf" in the C locale.
TEST(CaptionText, MatchesPrintf) {
  for (const double value : {-90.309, 0.125, -0.004, 5.5, 6.5, 1007.9999, -62.25, 1e9}) {
    for (const int precision : {0, 1, 2}) {
      char expected[64];
      std::snprintf(expected, sizeof expected, "%2.*f", precision, value);
      EXPECT_EQ(CaptionText().AppendFixed(value, 2, precision).ToString(),
                QString::fromLatin1(expected))
          << value << " at precision " << precision;
    }
  }
  EXPECT_EQ(CaptionText().Append("Speed:").AppendInt(-12).Append('%').ToString(),
            QStringLiteral("Speed:-12%"));
}

// A caption longer than the buffer is cut off, never written past its end.
TEST(CaptionText, CutsOffAtItsCapacity) {
  CaptionText text;
  for (int i = 0; i < 10; ++i)
    text.Append("0123456789");
  EXPECT_EQ(text.View().size(), CaptionText::Capacity);
  EXPECT_EQ(text.View().back(), QChar(u'6'));
}
