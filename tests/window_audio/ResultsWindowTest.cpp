// What the user takes away, on the private server with the generator's output
// looped back: the "Measurements" window reads what `veltrano --measure` reads
// from the same tone, and the saved response of a sweep is flat.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QProcess>
#include <QTemporaryDir>

#include "AudioWindow.h"
#include "app/MeasurementWindow.h"
#include "measure/Report.h"

TEST(ResultsWindow, MeasurementsOfALoopedBackToneMatchTheMeasureCommand) {
  auto w = StartWindow();
  w->RCnl->SetChecked(true);
  w->LCnl->SetChecked(true);
  w->FrqG1->SetValue(997);
  w->FrqV1->SetValue(25);
  w->LcBox0->SetChecked(true);
  w->RcBox0->SetChecked(true);
  w->FormActivate(w.get());
  w->MeasurementsClick();
  w->Frq1->SetChecked(true);
  // Two whole seconds of the tone, the first may hold its start.
  ProcessEvents(3300);
  QProcess command;
  command.start(QStringLiteral(VELTRANO_PROGRAM),
                {QStringLiteral("--measure"), QStringLiteral("1"), QStringLiteral("--json")});
  ASSERT_TRUE(WaitFor([&] { return command.state() == QProcess::NotRunning; }, 10000));
  ASSERT_EQ(command.exitCode(), 0) << command.readAllStandardError().toStdString();
  const QJsonObject printed = QJsonDocument::fromJson(command.readAllStandardOutput()).object();
  const MeasurementWindow& m = *w->Measurements;

  // The same steady tone, measured a second apart: the levels agree to the
  // last decimal shown, the noise figures within what a second of
  // quantisation noise varies by.
  const std::map<std::string, double> tolerance{
      {"frequency_hz", 0.011}, {"rms_dbfs", 0.011},
      {"peak_dbfs", 0.011},    {"thd_db", 3},
      {"thd_percent", 0.0001}, {"thdn_db", 1},
      {"thdn_percent", 0.001}, {"snr_db", 1},
      {"noise_floor_dbfs", 1}, {"level_difference_db", 0.011},
      {"phase_degrees", 0.05}, {"delay_samples", 0.011}};
  const auto compare = [&](const char* column, const QJsonObject& cli, const char* key) {
    const QString shown = m.Figure(QString::fromLatin1(column), QString::fromLatin1(key));
    bool number = false;
    const double window = QLocale().toDouble(shown, &number);
    ASSERT_TRUE(number) << column << " " << key << " shows " << shown.toStdString();
    const double expected = cli.value(QString::fromLatin1(key)).toDouble();
    EXPECT_NEAR(window, expected, tolerance.at(key)) << column << " " << key;
    std::printf("[ figures  ] %-6s %-20s window %12s, --measure %12.4f\n", column, key,
                qPrintable(shown), expected);
  };
  for (const char* column : {"Left", "Right"}) {
    const QJsonObject cli = printed.value(QString::fromLatin1(column).toLower()).toObject();
    ASSERT_TRUE(cli.value(QStringLiteral("valid")).toBool()) << column;
    for (const auto& field : measure::ChannelFields())
      compare(column, cli, field.Key);
  }
  for (const auto& field : measure::PairFields())
    compare("Between", printed.value(QStringLiteral("between")).toObject(), field.Key);
  w->Frq1->SetChecked(false);
  ProcessEvents(500);
  EXPECT_TRUE(w->close());
}

// A sweep at one level, looped back, draws a flat trace: every point the saved
// response holds, of both channels, lies within 0.1 dB of the level played.
TEST(ResultsWindow, SavedResponseOfALoopedBackSweepIsFlat) {
  constexpr int kLevel = 50;
  auto w = StartWindow();
  w->RCnl->SetChecked(true);
  w->LCnl->SetChecked(true);
  w->SpectralAmp->SetChecked(true);
  w->dB10->SetChecked(true);
  // Frequencies that do not divide 48000: each block meets its crest.
  w->FrqFrom->SetValue(503);
  w->FrqTo->SetValue(2003);
  w->FInc->SetValue(250);
  w->FrqVF->SetValue(kLevel);
  w->RcBox3->SetChecked(true);
  w->LcBox3->SetChecked(true);
  w->FormActivate(w.get());
  w->AutoG->SetChecked(true);
  ProcessEvents(3500);
  w->AutoG->SetChecked(false);
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("response.csv"));
  ASSERT_TRUE(w->SaveResponse(path));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const double played = 20 * std::log10(kLevel * 32767 / 100 + 1.0) - 90.309;
  int rows = 0;
  double lowest = 0, highest = -100;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (line.isEmpty() || line.startsWith('#') || line.startsWith("Frequency")) continue;
    const QList<QByteArray> cells = line.split(',');
    ASSERT_EQ(cells.size(), 3) << line.toStdString();
    ++rows;
    for (int c = 1; c <= 2; ++c) {
      if (cells[c].isEmpty()) continue;
      const double level = cells[c].toDouble();
      lowest = std::min(lowest, level);
      highest = std::max(highest, level);
      EXPECT_NEAR(level, played, 0.1) << line.toStdString();
    }
  }
  std::printf("[ response ] %d columns with points, levels %.3f .. %.3f dBFS (played %.3f)\n", rows,
              lowest, highest, played);
  // 503 .. 2003 Hz in steps of 250 Hz: at least one column per step.
  EXPECT_GE(rows, 7);
  ProcessEvents(500);
  EXPECT_TRUE(w->close());
}
