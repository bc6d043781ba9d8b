// The "Measurements" window fed by captured blocks: a second of them gives
// the library's figures for the same samples, a channel switched off, silence
// or a stopped input give "—", STOP freezes, and the window keeps its place.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include <QLocale>

#include "app/MeasurementWindow.h"
#include "measure/Report.h"
#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

constexpr int BlocksPerSecond = 24; // 49152 frames, the first that reach 48000
const QString Nothing = QStringLiteral("\u2014");

// Block n of a tone of hz at amplitude, with a third harmonic at a hundredth
// of it, continuous from block to block.
std::function<int16_t(int)> Tone(double hz, double amplitude, int n, double phase = 0) {
  return [=](int i) {
    const double t = (n * 2048.0 + i) / 48000;
    const double w = 2 * std::numbers::pi * hz * t + phase;
    return static_cast<int16_t>(std::lround(amplitude * (std::sin(w) + 0.01 * std::sin(3 * w))));
  };
}

QString Shown(double v, int decimals) {
  QLocale locale;
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale.toString(v, 'f', decimals);
}

struct Opened : DeviceWindow {
  Opened() {
    form->RCnl->SetChecked(true);
    form->LCnl->SetChecked(true);
    ShowAndActivate();
    form->MeasurementsClick();
    ProcessEvents(20);
  }
  MeasurementWindow& m() { return *form->Measurements; }
  // Feeds a second of blocks and gives the samples each channel received.
  std::pair<std::vector<int16_t>, std::vector<int16_t>> FeedSecond(int first) {
    std::vector<int16_t> left, right;
    for (int n = first; n < first + BlocksPerSecond; ++n) {
      const auto block = MakeBlock(Tone(1000, 12000, n), Tone(440, 3000, n, 0.5));
      for (size_t i = 0; i < block.size(); i += 2) {
        left.push_back(block[i]);
        right.push_back(block[i + 1]);
      }
      Feed(block);
    }
    return {left, right};
  }
};

} // namespace

TEST(MeasurementWindow, ASecondOfBlocksShowsTheLibrarysFiguresForThem) {
  Opened w;
  ASSERT_TRUE(w.m().isVisible());
  EXPECT_EQ(w.m().Figure("Left", "frequency_hz"), Nothing);
  const auto [left, right] = w.FeedSecond(0);
  const measure::Figures want = measure::MeasureStereo(left, right);
  ASSERT_TRUE(want.Left.Valid && want.Right.Valid && want.Between.Valid);
  for (const auto& [column, figures] :
       {std::pair{"Left", want.Left}, std::pair{"Right", want.Right}})
    for (const auto& field : measure::ChannelFields())
      EXPECT_EQ(w.m().Figure(column, field.Key), Shown(figures.*field.Value, field.Decimals))
          << column << " " << field.Key;
  for (const auto& field : measure::PairFields())
    EXPECT_EQ(w.m().Figure("Between", field.Key), Shown(want.Between.*field.Value, field.Decimals))
        << field.Key;
  // The tones as made: 1000 and 440 Hz, THD of the 1 % harmonic -40 dB.
  EXPECT_NEAR(QLocale().toDouble(w.m().Figure("Left", "frequency_hz")), 1000, 0.1);
  EXPECT_NEAR(QLocale().toDouble(w.m().Figure("Right", "frequency_hz")), 440, 0.1);
  EXPECT_NEAR(QLocale().toDouble(w.m().Figure("Left", "thd_db")), -40, 0.1);
}

// Unticking a channel blanks it and the figures between at once; it stays
// blank for the next second while the other channel goes on.
TEST(MeasurementWindow, AChannelSwitchedOffShowsDashesAtOnceAndSilenceToo) {
  Opened w;
  w.FeedSecond(0);
  ASSERT_NE(w.m().Figure("Right", "rms_dbfs"), Nothing);
  w.form->RCnl->SetChecked(false);
  w.Feed(MakeBlock(Tone(1000, 12000, 24), Tone(440, 3000, 24)));
  EXPECT_EQ(w.m().Figure("Right", "rms_dbfs"), Nothing);
  EXPECT_EQ(w.m().Figure("Between", "delay_samples"), Nothing);
  EXPECT_NE(w.m().Figure("Left", "rms_dbfs"), Nothing);
  w.FeedSecond(25);
  EXPECT_EQ(w.m().Figure("Right", "frequency_hz"), Nothing);
  EXPECT_NE(w.m().Figure("Left", "frequency_hz"), Nothing);

  w.form->RCnl->SetChecked(true);
  // Two seconds: the first may still hold a block of the tone.
  for (int n = 0; n < 2 * BlocksPerSecond; ++n)
    w.Feed(MakeBlock([](int) { return int16_t{0}; }, [](int) { return int16_t{0}; }));
  EXPECT_EQ(w.m().Figure("Left", "frequency_hz"), Nothing);
  EXPECT_EQ(w.m().Figure("Right", "snr_db"), Nothing);
}

// STOP keeps the figures; blocks that stop coming without STOP blank them.
TEST(MeasurementWindow, StopFreezesTheFiguresAndAStoppedInputBlanksThem) {
  Opened w;
  w.FeedSecond(0);
  const QString frequency = w.m().Figure("Left", "frequency_hz");
  ASSERT_NE(frequency, Nothing);
  w.form->BtnStop->click();
  ASSERT_TRUE(w.form->Stopped);
  ProcessEvents(1700);
  EXPECT_EQ(w.m().Figure("Left", "frequency_hz"), frequency);
  w.form->BtnStop->click();
  ASSERT_FALSE(w.form->Stopped);
  ProcessEvents(1700);
  EXPECT_EQ(w.m().Figure("Left", "frequency_hz"), Nothing);
}

// Its place and whether it is open are in the settings file under its own
// names, and the next start opens it there.
TEST(MeasurementWindow, PlaceAndOpenStateAreRememberedInTheSettingsFile) {
  {
    Opened w;
    w.m().move(300, 200);
    ProcessEvents(20);
    w.Close();
  }
  QFile file(SettingsFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray text = file.readAll();
  EXPECT_TRUE(text.contains("\nMWX=300\nMWY=200\nMWO=1\n")) << text.toStdString();
  StoredWindow again;
  again.ShowAndActivate();
  ProcessEvents(20);
  EXPECT_TRUE(again.form->Measurements->isVisible());
  EXPECT_EQ(again.form->Measurements->pos(), QPoint(300, 200));
  again.form->Measurements->close();
  again.Close();
  StoredWindow closed;
  closed.ShowAndActivate();
  EXPECT_FALSE(closed.form->Measurements->isVisible());
}
