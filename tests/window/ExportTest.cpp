// The display's menu and the files it saves: the spectrum in dBFS whatever
// the view's scale, the amplitude trace as drawn, the window's picture, and
// a save that fails leaves nothing behind and says why.

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

// amplitude * cos on bin k: its first sample is the peak.
std::function<int16_t(int)> Tone(double amplitude, int bin) {
  return [=](int i) {
    return static_cast<int16_t>(
        std::lround(amplitude * std::cos(std::numbers::pi * bin * i / 1024)));
  };
}

// The lines of a file without its '#' comments, each split at the commas.
std::vector<QList<QByteArray>> CsvRows(const QString& path) {
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  std::vector<QList<QByteArray>> rows;
  for (const QByteArray& line : file.readAll().split('\n'))
    if (!line.isEmpty() && !line.startsWith('#')) rows.push_back(line.split(','));
  return rows;
}

QByteArray Content(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

TEST(Export, SpectrumPeaksInTheTonesBinAtItsLevelInDbfsWhateverTheScale) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.LCnl->SetChecked(true);
  // Left 16384 on bin 128 (3 kHz, -6.02 dBFS), right 3277 on bin 300 (-20 dBFS).
  w.Feed(MakeBlock(Tone(16384, 128), Tone(3277, 300)));
  QTemporaryDir dir;
  const QString linear = dir.filePath(QStringLiteral("linear.csv"));
  f.fLinear->SetChecked(true);
  ASSERT_TRUE(f.SaveSpectrum(linear));
  const auto rows = CsvRows(linear);
  ASSERT_EQ(rows.size(), 1u + 1025u);
  EXPECT_EQ(rows[0], (QList<QByteArray>{"Frequency (Hz)", "Left (dBFS)", "Right (dBFS)"}));
  for (const auto& [column, bin, dbfs] : {std::tuple{1, 128, 20 * std::log10(16384 / 32768.0)},
                                          std::tuple{2, 300, 20 * std::log10(3277 / 32768.0)}}) {
    int strongest = 0;
    for (int k = 1; k <= 1024; ++k)
      if (rows[k + 1][column].toDouble() > rows[strongest + 1][column].toDouble()) strongest = k;
    EXPECT_EQ(strongest, bin) << column;
    EXPECT_NEAR(rows[bin + 1][0].toDouble(), bin * 23.4375, 1e-9);
    EXPECT_NEAR(rows[bin + 1][column].toDouble(), dbfs, 0.01) << column;
    // The window keeps the tone to its own bins: far away only noise of rounding.
    EXPECT_LT(rows[bin + 40][column].toDouble(), dbfs - 80) << column;
  }
  // The same block under the Log scale, with one channel: the same numbers.
  f.fLog->SetChecked(true);
  f.RCnl->SetChecked(false);
  const QString log = dir.filePath(QStringLiteral("log.csv"));
  ASSERT_TRUE(f.SaveSpectrum(log));
  const auto logRows = CsvRows(log);
  ASSERT_EQ(logRows.size(), rows.size());
  for (size_t r = 1; r < rows.size(); ++r)
    EXPECT_EQ(logRows[r], rows[r].mid(0, 2)) << r;
}

// Blocks of equal peak on many bins draw a flat trace; the file holds one row
// per column with a point, at the column's frequency and the block's level.
TEST(Export, ResponseHoldsTheTraceAsDrawnOneRowPerColumnWithAPoint) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.SpectralAmp->SetChecked(true);
  f.dB30->SetChecked(true);
  std::vector<int> bins;
  for (int bin = 20; bin <= 200; bin += 9)
    bins.push_back(bin);
  for (int bin : bins)
    w.Feed(MakeBlock(Tone(0, 1), Tone(10000, bin)));
  // A quiet block plots below the graph: neither drawn nor saved.
  w.Feed(MakeBlock(Tone(0, 1), Tone(20, 400)));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("response.csv"));
  ASSERT_TRUE(f.SaveResponse(path));
  auto rows = CsvRows(path);
  ASSERT_EQ(rows.size(), 1 + bins.size());
  EXPECT_EQ(rows[0], (QList<QByteArray>{"Frequency (Hz)", "Right (dBFS)"}));
  for (size_t i = 0; i < bins.size(); ++i) {
    EXPECT_DOUBLE_EQ(rows[i + 1][0].toDouble(), bins[i] * 23.4375);
    EXPECT_NEAR(rows[i + 1][1].toDouble(), 20 * std::log10(10001.0 / 32768), 0.001);
    // A line leaves out its end pixel: the last point waits for the next line.
    if (i + 1 < bins.size()) {
      EXPECT_EQ(f.DisplayBitmap->GetPixel(bins[i], AmpTraceRow(10000, 15.4)), clFuchsia);
    }
  }

  // "Low Frq" erases the trace and spreads it five columns per bin.
  f.LFBox->SetChecked(true);
  EXPECT_FALSE(f.SaveResponse(path));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_TRUE(Messages()[0].Text.contains(QStringLiteral("has no points")));
  EXPECT_EQ(CsvRows(path).size(), rows.size()) << "the earlier file was changed";
  w.Feed(MakeBlock(Tone(8000, 60), Tone(10000, 50)));
  f.LCnl->SetChecked(true);
  w.Feed(MakeBlock(Tone(8000, 60), Tone(10000, 50)));
  ASSERT_TRUE(f.SaveResponse(path));
  rows = CsvRows(path);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[0], (QList<QByteArray>{"Frequency (Hz)", "Left (dBFS)", "Right (dBFS)"}));
  EXPECT_EQ(rows[1], (QList<QByteArray>{"1171.8750", "", "-10.308"}));
  EXPECT_EQ(rows[2], (QList<QByteArray>{"1406.2500", "-12.246", ""}));
}

// The picture is the window at its size, with the bitmaps where the screen
// shows them.
TEST(Export, PictureShowsTheBitmapsWhereTheWindowDoes) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.Scope->SetChecked(true);
  w.ShowAndActivate();
  w.Feed(MakeBlock(Tone(0, 1), Tone(20000, 64)));
  ProcessEvents(50);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("window.png"));
  ASSERT_TRUE(f.SavePicture(path, f.Picture()));
  const QImage picture = QImage(path).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(picture.size(), QSize(1016, 724) * f.devicePixelRatio());
  const auto bitmapShows = [&](const Bitmap& bitmap, QPoint at) {
    for (int y = 0; y < bitmap.Height(); y += 7)
      for (int x = 0; x < bitmap.Width(); x += 5) {
        if (f.RulerPanel->isVisible() && f.RulerPanel->geometry().contains(at + QPoint(x, y)))
          continue;
        if (ToQColor(bitmap.GetPixel(x, y)).rgb() != picture.pixel(at.x() + x, at.y() + y))
          return false;
      }
    return true;
  };
  EXPECT_TRUE(bitmapShows(*f.DisplayBitmap, {2, 1}));
  EXPECT_TRUE(bitmapShows(*f.ScopeBitmap, {693, 520}));
}

// A write that fails (a file-size limit standing in for a full disk, a
// folder that does not exist) leaves the earlier file whole and no other
// file beside it, and says why.
TEST(Export, FailedSaveKeepsTheEarlierFileAndSaysWhy) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.LCnl->SetChecked(true);
  w.Feed(MakeBlock(Tone(16384, 128), Tone(0, 1)));
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("spectrum.csv"));
  {
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier\n");
  }
  rlimit limit{}, small{};
  getrlimit(RLIMIT_FSIZE, &limit);
  small = limit;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool saved = f.SaveSpectrum(path);
  setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_FALSE(saved);
  EXPECT_EQ(Content(path), "earlier\n");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("spectrum.csv")});
  const QString missing = dir.filePath(QStringLiteral("no/such/folder.png"));
  EXPECT_FALSE(f.SavePicture(missing, f.Picture()));
  EXPECT_FALSE(QFile::exists(missing));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Error"));
  EXPECT_TRUE(Messages()[0].Text.contains(QStringLiteral("larger than the system allows")))
      << Messages()[0].Text.toStdString();
  EXPECT_TRUE(Messages()[1].Text.startsWith(QDir::toNativeSeparators(missing)));
}

// The right button opens the menu over the display only; its commands carry
// their keys.
TEST(Export, RightClickOnTheDisplayOpensTheMenuWithItsCommands) {
  DeviceWindow w;
  TForm1& f = *w.form;
  w.ShowAndActivate();
  f.FormMouseDown(&f, Qt::RightButton, {}, 600, 600); // the oscilloscope's side
  EXPECT_FALSE(f.DisplayMenu->isVisible());
  f.FormMouseDown(&f, Qt::LeftButton, {}, 300, 200);
  EXPECT_FALSE(f.DisplayMenu->isVisible());
  f.FormMouseDown(&f, Qt::RightButton, {}, 300, 200);
  EXPECT_TRUE(f.DisplayMenu->isVisible());
  QStringList items;
  for (const QAction* a : f.DisplayMenu->actions())
    if (!a->isSeparator()) items << a->text().remove('&') + ' ' + a->shortcut().toString();
  EXPECT_EQ(items,
            (QStringList{"Measurements F2", "Save Spectrum\u2026 Ctrl+E", "Save Response\u2026 ",
                         "Save Picture\u2026 Ctrl+S", "Copy Picture "}));
  f.DisplayMenu->close();
}
