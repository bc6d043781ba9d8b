// SPDX-License-Identifier: GPL-3.0-or-later
// The "Measurements" window: "—" for a channel off, silence or no input; STOP
// freezes; its place and open state are kept in the settings file.

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "app/MeasurementWindow.h"
#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

const QString Nothing = QStringLiteral("\u2014");

// A second of blocks (24 of 2048 frames): 1000 Hz left, 440 Hz right, or silence.
void FeedSecond(DeviceWindow& w, double level = 10000) {
  for (int n = 0; n < 24; ++n) {
    const auto tone = [&](double hz) {
      return [=](int i) {
        return int16_t(level * std::sin(std::numbers::pi * hz * (n * 2048 + i) / 24000));
      };
    };
    w.Feed(MakeBlock(tone(1000), tone(440)));
  }
}

} // namespace

TEST(MeasurementWindow, FollowsTheChannelsSilenceAndStopAndKeepsItsPlace) {
  {
    DeviceWindow w;
    TForm1& f = *w.form;
    for (CheckBox* box : {f.RCnl, f.LCnl})
      box->SetChecked(true);
    w.ShowAndActivate();
    f.MeasurementsClick();
    const MeasurementWindow& m = *f.Measurements;
    FeedSecond(w, 0); // silence has no tone and no level
    EXPECT_EQ(m.Figure("Left", "rms_dbfs"), Nothing);
    FeedSecond(w);
    EXPECT_NEAR(m.Figure("Left", "frequency_hz").toDouble(), 1000, 0.1);
    EXPECT_NEAR(m.Figure("Right", "frequency_hz").toDouble(), 440, 0.1);
    // Off: blank, with the figures between.
    f.RCnl->SetChecked(false);
    FeedSecond(w);
    EXPECT_EQ(m.Figure("Right", "rms_dbfs"), Nothing);
    EXPECT_EQ(m.Figure("Between", "delay_samples"), Nothing);
    EXPECT_NE(m.Figure("Left", "rms_dbfs"), Nothing);
    // STOP keeps the figures; an input that stops without it blanks them.
    f.BtnStop->click();
    ProcessEvents(1700);
    EXPECT_NE(m.Figure("Left", "rms_dbfs"), Nothing);
    f.BtnStop->click();
    ProcessEvents(1700);
    EXPECT_EQ(m.Figure("Left", "rms_dbfs"), Nothing);
    f.Measurements->move(300, 200);
    w.Close();
  }
  StoredWindow again;
  again.ShowAndActivate();
  ProcessEvents(20);
  EXPECT_TRUE(again.form->Measurements->isVisible());
  EXPECT_EQ(again.form->Measurements->pos(), QPoint(300, 200));
}
