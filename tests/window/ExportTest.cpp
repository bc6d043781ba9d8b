// The display's menu and the files it saves: the spectrum in dBFS whatever
// the view's scale, and a save that fails leaves the earlier file and says why.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <sys/resource.h>

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QTemporaryDir>

#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

// amplitude * cos on bin k.
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

  // The menu holds the command; a right click outside the display opens nothing.
  w.ShowAndActivate();
  f.FormMouseDown(&f, Qt::RightButton, {}, 600, 600);
  EXPECT_FALSE(f.DisplayMenu->isVisible());
  f.FormMouseDown(&f, Qt::RightButton, {}, 300, 200);
  EXPECT_TRUE(f.DisplayMenu->isVisible());
  EXPECT_EQ(f.DisplayMenu->actions()[2]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
  f.DisplayMenu->close();
}

// A file-size limit stands in for a full disk; then a folder that is missing.
TEST(Export, FailedSaveKeepsTheEarlierFileAndSaysWhy) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.LCnl->SetChecked(true);
  w.Feed(MakeBlock(Tone(16384, 128), Tone(0, 1)));
  QTemporaryDir dir;
  const QString path = dir.filePath("spectrum.csv");
  QFile earlier(path);
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier\n") == 8);
  earlier.close();
  rlimit limit{};
  getrlimit(RLIMIT_FSIZE, &limit);
  rlimit small = limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_FALSE(f.SaveSpectrum(path));
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(Lines(path), (QList<QByteArray>{"earlier", ""}));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"spectrum.csv"});
  const QString missing = dir.filePath("no/such/folder.png");
  EXPECT_FALSE(f.SavePicture(missing, f.Picture()));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0].Caption, "Error");
  EXPECT_TRUE(Messages()[0].Text.contains("larger than the system allows"));
  EXPECT_TRUE(Messages()[1].Text.startsWith(missing));
}
