// SPDX-License-Identifier: GPL-3.0-or-later
// The "Spectrum" window: F3 opens it; a tone's peak stays in the peak trace
// after it has gone; Ctrl+E there saves its trace, not the main window's
// spectrum; STOP and the channel switches; references; calibrated units;
// every choice, the place and the calibration kept in the settings file.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "app/SpectrumWindow.h"
#include "measure/TraceCsv.h"
#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

int fed = 0; // frames fed so far, so that tones run on between calls

// Blocks of a tone left (amplitude level) and one 20 dB lower right, on the
// centres of bins 171 and 75 of an 8192-point transform: 1001.95 Hz, 439.45 Hz.
constexpr double LeftHz = 171 * 48000 / 8192.0, RightHz = 75 * 48000 / 8192.0;
void FeedTones(DeviceWindow& w, int blocks, double level) {
  for (int n = 0; n < blocks; ++n, fed += 2048) {
    const auto tone = [&](double hz, double amplitude) {
      return [=](int i) {
        return int16_t(
            std::lround(amplitude * std::sin(2 * std::numbers::pi * hz * (fed + i) / 48000)));
      };
    };
    w.Feed(MakeBlock(tone(LeftHz, level), tone(RightHz, level / 10)));
  }
}

measure::TraceTable Saved(SpectrumWindow& s, const QString& path) {
  EXPECT_TRUE(s.SaveTrace(path));
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  return measure::ReadTraceCsv({text.constData(), std::size_t(text.size())});
}

// The highest level in a column of the bins within one bin of hz.
double At(const measure::TraceTable& table, const std::string& column, double hz) {
  const double bin = table.Frequencies.at(1);
  for (const measure::TraceColumn& c : table.Columns) {
    if (c.Name != column) continue;
    double top = -INFINITY;
    for (std::size_t k = 0; k < table.Frequencies.size(); ++k)
      if (std::fabs(table.Frequencies[k] - hz) <= bin && !std::isnan(c.Values[k]))
        top = std::max(top, c.Values[k]);
    return top;
  }
  ADD_FAILURE() << "no column " << column;
  return NAN;
}

// Every choice, to compare all at once.
auto Fields(const SpectrumChoices& c) {
  return std::tuple(c.SizeLog2, c.Window, c.Hops, c.Average, c.TimeConstantTenths, c.Count, c.Peak,
                    c.Min, c.LogAxis, c.TopDb, c.RangeDb, c.Grid, c.Unit);
}

// A shown window with both channels on.
struct BothChannels : DeviceWindow {
  BothChannels() {
    for (CheckBox* box : {form->RCnl, form->LCnl})
      box->SetChecked(true);
    ShowAndActivate();
  }
};

// The title of the dialog a key opens in the focused window, closed at once.
QString DialogOfKey(QWidget* window, QKeyCombination key) {
  QString title;
  QTimer::singleShot(300, [&title] {
    if (QWidget* dialog = QApplication::activeModalWidget()) {
      title = dialog->windowTitle();
      dialog->close();
    }
  });
  QTest::keyClick(window, key.key(), key.keyboardModifiers());
  ProcessEvents(50);
  return title;
}

} // namespace

TEST(SpectrumWindow, PeakHoldKeepsTheToneThatTheCurrentTraceLost) {
  QTemporaryDir folder;
  BothChannels w;
  TForm1& f = *w.form;
  QTest::keyClick(&f, Qt::Key_F3);
  SpectrumWindow& s = *f.SpectrumWin;
  ASSERT_TRUE(s.isVisible());
  EXPECT_EQ(s.windowTitle(), QStringLiteral("Spectrum"));
  EXPECT_LT(s.minimumWidth(), s.maximumWidth()); // resizable
  // Hann: a tone cut off reads lower than the tone, never higher.
  SpectrumChoices c = s.Choices();
  c.SizeLog2 = 13;
  s.SetChoices(c);
  FeedTones(w, 8, 3276.8); // -20 dBFS
  EXPECT_TRUE(s.PeakText().contains(QStringLiteral("Left 1001.95 Hz -20.00 dBFS")))
      << s.PeakText().toStdString();
  EXPECT_TRUE(s.PeakText().contains(QStringLiteral("Right 439.45 Hz -40.00 dBFS")))
      << s.PeakText().toStdString();
  s.SetPointer(LeftHz);
  EXPECT_TRUE(s.PointerText().contains(QStringLiteral("Left current -20.0")))
      << s.PointerText().toStdString();
  // The arrow keys move the pointer up the frequencies.
  QTest::keyClick(s.findChild<QWidget*>(QStringLiteral("plot")), Qt::Key_Right);
  EXPECT_FALSE(s.PointerText().contains(QStringLiteral("Pointer 1001.95 Hz")));
  EXPECT_TRUE(s.PointerText().startsWith(QStringLiteral("Pointer 10")))
      << s.PointerText().toStdString();
  s.TakeReference(0, true);
  FeedTones(w, 8, 0);
  const measure::TraceTable table = Saved(s, folder.filePath("trace.csv"));
  ASSERT_EQ(table.Columns.size(), 9u);
  EXPECT_EQ(table.Columns[0].Name, "left_current_dBFS");
  EXPECT_NEAR(At(table, "reference1_dBFS", LeftHz), -20, 0.1); // the left average
  EXPECT_TRUE(s.SavePicture(folder.filePath("spectrum.png")));
  EXPECT_EQ(QImage(folder.filePath("spectrum.png")).size(), s.size());
  EXPECT_NEAR(At(table, "left_peak_dBFS", LeftHz), -20, 0.1);
  EXPECT_NEAR(At(table, "right_peak_dBFS", RightHz), -40, 0.1);
  EXPECT_LT(At(table, "left_current_dBFS", LeftHz), -200);
  // STOP freezes the traces; a channel switched off is neither drawn nor saved.
  f.BtnStop->click();
  const std::vector<int16_t> loud = MakeBlock([](int i) { return int16_t(i % 2 * 8000); },
                                              [](int i) { return int16_t(i % 2 * 8000); });
  for (int n = 0; n < 8; ++n)
    s.AddBlock({loud.data(), 2048}, {loud.data(), 2048}, true, true);
  EXPECT_LT(At(Saved(s, folder.filePath("held.csv")), "left_current_dBFS", 24000), -200);
  f.BtnStop->click();
  f.RCnl->SetChecked(false);
  FeedTones(w, 8, 3276.8);
  s.ClearReference(0);
  const measure::TraceTable left = Saved(s, folder.filePath("left.csv"));
  EXPECT_EQ(left.Columns.size(), 4u);
  EXPECT_NEAR(At(left, "left_current_dBFS", LeftHz), -20, 0.1);
  // A reference from a saved file's column, drawn, named and saved again.
  ASSERT_TRUE(s.LoadReference(1, folder.filePath("trace.csv"), QStringLiteral("right_peak_dBFS")));
  const measure::TraceTable withReference = Saved(s, folder.filePath("reference.csv"));
  EXPECT_NEAR(At(withReference, "reference2_dBFS", RightHz), -40, 0.1);
  EXPECT_TRUE(s.PointerText().contains(QStringLiteral("Reference 2 (trace.csv: right_peak_dBFS)")));
  EXPECT_FALSE(s.LoadReference(0, folder.filePath("missing.csv"), {}));
  ASSERT_EQ(Messages().size(), 1u);
  // Ctrl+E here saves the trace; in the main window, the spectrum.
  EXPECT_EQ(DialogOfKey(&s, QKeyCombination(Qt::CTRL, Qt::Key_E)), QStringLiteral("Save Trace"));
  f.activateWindow();
  ProcessEvents(20);
  EXPECT_EQ(DialogOfKey(&f, QKeyCombination(Qt::CTRL, Qt::Key_E)), QStringLiteral("Save Spectrum"));
  w.Close();
}

TEST(SpectrumWindow, CalibratedUnitsAndEveryChoiceAreKept) {
  using enum measure::LevelUnit;
  using enum measure::WindowKind;
  using enum measure::AverageMode;
  const SpectrumChoices chosen{16, int(FlatTop), 4,  int(Linear), 25,        40, 0, 1,
                               0,  20,           80, 0,           int(DbSpl)};
  QTemporaryDir folder;
  QRect place;
  {
    BothChannels w;
    w.form->SpectrumClick();
    SpectrumWindow& s = *w.form->SpectrumWin;
    FeedTones(w, 12, 3276.8);
    // No calibration: no unit but dBFS.
    SpectrumChoices c = s.Choices();
    c.Unit = int(Dbu);
    s.SetChoices(c);
    EXPECT_EQ(s.Choices().Unit, int(Dbfs));
    // The tone playing in (-20 dBFS) is 94 dB SPL; 0 dBFS is +4 dBu.
    s.Calibrate(DbSpl, 94, true);
    s.Calibrate(Dbu, 4, false);
    s.SetChoices(chosen);
    FeedTones(w, 40, 3276.8);
    EXPECT_TRUE(s.PeakText().contains(QStringLiteral("94.00 dB SPL")))
        << s.PeakText().toStdString();
    EXPECT_NEAR(At(Saved(s, folder.filePath("spl.csv")), "left_current_dBSPL", LeftHz), 94, 0.1);
    s.setGeometry(200, 150, 1000, 640);
    place = s.geometry();
    w.Close();
  }
  StoredWindow w;
  TForm1& f = *w.form;
  w.ShowAndActivate();
  ProcessEvents(50);
  SpectrumWindow& s = *f.SpectrumWin;
  ASSERT_TRUE(s.isVisible()) << "the window was open at the close";
  EXPECT_EQ(s.geometry(), place);
  EXPECT_EQ(Fields(s.Choices()), Fields(chosen));
  EXPECT_NEAR(s.InputCalibration().SplAtFullScale, 114, 0.01);
  EXPECT_NEAR(measure::FromDbfs(0, Dbu, s.InputCalibration()), 4, 1e-9);
  w.Close();
}
