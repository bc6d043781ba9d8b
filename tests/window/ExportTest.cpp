// SPDX-License-Identifier: GPL-3.0-or-later
// The spectrum saved in dBFS whatever the view's scale; failed saves say why.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <QDir>
#include <QTemporaryDir>

#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

std::function<int16_t(int)> Tone(double amplitude, int bin) {
  return [=](int i) {
    return static_cast<int16_t>(
        std::lround(amplitude * std::cos(std::numbers::pi * bin * i / 1024)));
  };
}

QList<QByteArray> Lines(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
}

} // namespace

TEST(Export, SpectrumPeaksInTheTonesBinAtItsLevelInDbfsWhateverTheScale) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.LCnl->SetChecked(true);
  // Left 16384 on bin 128 (-6.02 dBFS), right 3277 on bin 300 (-20 dBFS).
  w.Feed(MakeBlock(Tone(16384, 128), Tone(3277, 300)));
  QTemporaryDir dir;
  const QString linear = dir.filePath("linear.csv"), log = dir.filePath("log.csv");
  ASSERT_TRUE(f.SaveSpectrum(linear));
  const QList<QByteArray> lines = Lines(linear);
  ASSERT_EQ(lines.size(), 2 + 1 + 1025 + 1); // comments, header, bins, end
  EXPECT_EQ(lines[2], "Frequency (Hz),Left (dBFS),Right (dBFS)");
  for (const auto& [column, bin, dbfs] : {std::tuple{1, 128, 20 * std::log10(0.5)},
                                          std::tuple{2, 300, 20 * std::log10(3277 / 32768.0)}}) {
    const auto value = [&](int k) { return lines[3 + k].split(',')[column].toDouble(); };
    int strongest = 0;
    for (int k = 1; k <= 1024; ++k)
      if (value(k) > value(strongest)) strongest = k;
    EXPECT_EQ(strongest, bin);
    EXPECT_EQ(lines[3 + bin].split(',')[0].toDouble(), bin * 23.4375);
    EXPECT_NEAR(value(bin), dbfs, 0.01);
    EXPECT_LT(value(bin + 40), dbfs - 80);
  }
  // The Log scale and the right channel alone: the same numbers.
  f.fLog->SetChecked(true);
  f.RCnl->SetChecked(false);
  ASSERT_TRUE(f.SaveSpectrum(log));
  const QList<QByteArray> logLines = Lines(log);
  ASSERT_EQ(logLines.size(), lines.size());
  for (qsizetype r = 3; r + 1 < lines.size(); ++r)
    EXPECT_EQ(logLines[r], lines[r].left(lines[r].lastIndexOf(','))) << r;

  // Failures say why and leave no file (the shared writer's full disk is the
  // settings file's test).
  const QString missing = dir.filePath("no/such/folder.png");
  EXPECT_FALSE(f.SavePicture(missing, f.Picture()));
  f.LCnl->SetChecked(false);
  EXPECT_FALSE(f.SaveSpectrum(dir.filePath("none.csv")));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), (QStringList{"linear.csv", "log.csv"}));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_TRUE(Messages()[0].Caption == "Error" && Messages()[0].Text.startsWith(missing));
  EXPECT_TRUE(Messages()[1].Text.contains("no channel is ticked"));
}
