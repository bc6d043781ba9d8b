// Numbers formatted with the user's decimal separator.

#include <gtest/gtest.h>

#include <clocale>
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
TEST(FormatFloat, TakesATwoByteSeparatorWhole) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::Pashto, QLocale::Afghanistan));
  QTemporaryDir dir;
  const bool cLocale = UseTwoByteSeparatorInTheCLibrary(dir);
  const QString text = FormatFloat("%2.1f", -62.3);
  std::setlocale(LC_NUMERIC, "C");
  unsetenv("LOCPATH");
  QLocale::setDefault(saved);
  EXPECT_EQ(text, QStringLiteral("-62") + QChar(0x066B) + QStringLiteral("3"));
  if (!cLocale) GTEST_SKIP() << "localedef could not build the C library's locale";
}
