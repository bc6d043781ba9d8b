// SPDX-License-Identifier: GPL-3.0-or-later
// On the private server with the generator looped back: the "Measurements"
// window reads what `veltrano --measure` reads from the same tone, and the
// saved response of a sweep is flat.

#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include "AudioWindow.h"
#include "app/MeasurementWindow.h"
#include "measure/Report.h"
#include "tests/support/WindowTest.h"

TEST(ResultsWindow, ToneMatchesTheMeasureCommandAndASweepsResponseIsFlat) {
  QFile::remove(SettingsFile());
  auto w = std::make_unique<AudioWindow>();
  w->show();
  for (CheckBox* box : {w->RCnl, w->LCnl, w->LcBox0, w->RcBox0})
    box->SetChecked(true);
  w->FrqG1->SetValue(997);
  w->FrqV1->SetValue(25);
  w->FormActivate(w.get());
  w->MeasurementsClick();
  w->Frq1->SetChecked(true);
  ProcessEvents(3300); // two whole seconds of the tone
  QProcess command;
  command.start(VELTRANO_PROGRAM, {"--measure", "1", "--json"});
  ASSERT_TRUE(WaitFor([&] { return command.state() == QProcess::NotRunning; }, 10000));
  const QJsonObject printed = QJsonDocument::fromJson(command.readAllStandardOutput()).object();
  // Levels agree to the last decimal shown; noise figures within what a
  // second of quantisation noise varies by.
  const std::map<std::string, double> tolerance{
      {"frequency_hz", 0.011}, {"rms_dbfs", 0.011},     {"peak_dbfs", 0.011},
      {"thd_db", 3},           {"thd_percent", 1e-4},   {"thdn_db", 1},
      {"thdn_percent", 1e-3},  {"snr_db", 1},           {"noise_floor_dbfs", 1},
      {"sfdr_db", 3},          {"spur_dbfs", 3},        {"level_difference_db", 0.011},
      {"phase_degrees", 0.05}, {"delay_samples", 0.011}};
  // A figure the command prints as null is "—" in the window, or THD below
  // the noise its bound, and the other way round. Which of the generator's
  // spurs, of nearly equal level, is the strongest differs from one second to
  // the next: their frequency is not compared.
  const auto compare = [&](const char* column, const char* key) {
    const QJsonObject channel = printed[QString(column).toLower()].toObject();
    const QJsonValue value = channel[key];
    const QString shown = w->Measurements->Figure(column, key);
    const bool bounded = QString(key).startsWith("thd_") && !channel["thd_below_noise_db"].isNull();
    const bool missing = bounded ? shown.startsWith("< ") : shown == "\u2014";
    EXPECT_EQ(missing, value.isNull()) << column << " " << key << " " << qPrintable(shown);
    if (!value.isNull() && tolerance.contains(key)) {
      EXPECT_NEAR(shown.toDouble(), value.toDouble(), tolerance.at(key)) << column << " " << key;
    }
  };
  for (const char* column : {"Left", "Right"})
    for (const auto& field : measure::ChannelFields())
      compare(column, field.Key);
  for (const auto& field : measure::PairFields())
    compare("Between", field.Key);
  EXPECT_TRUE(printed["left"]["valid"].toBool() && printed["right"]["valid"].toBool());
  w->Frq1->SetChecked(false);
  ProcessEvents(800); // the tone's last buffer played out

  // Every point of both channels lies within 0.1 dB of the level played.
  for (CheckBox* box : {w->SpectralAmp, w->RcBox3, w->LcBox3})
    box->SetChecked(true);
  w->dB10->SetChecked(true);
  // Frequencies that do not divide 48000: each block meets its crest.
  w->FrqFrom->SetValue(503);
  w->FrqTo->SetValue(2003);
  w->FInc->SetValue(250);
  w->FrqVF->SetValue(50);
  w->AutoG->SetChecked(true);
  ProcessEvents(3500);
  w->AutoG->SetChecked(false);
  QTemporaryDir dir;
  ASSERT_TRUE(w->SaveResponse(dir.filePath("response.csv")));
  QFile file(dir.filePath("response.csv"));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const double played = 20 * std::log10(50 * 32767 / 100 + 1.0) - 90.309;
  int rows = 0;
  for (const QByteArray& line : file.readAll().split('\n').mid(3)) {
    rows += !line.isEmpty();
    for (const QByteArray& cell : line.split(',').mid(1)) {
      if (cell.isEmpty()) continue;
      EXPECT_NEAR(cell.toDouble(), played, 0.1) << line.toStdString();
    }
  }
  EXPECT_GE(rows, 7); // 503 .. 2003 Hz in steps of 250 Hz
  ProcessEvents(500);
}
