// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel: the status refresh that runs after every captured block,
// and STOP/START of the whole input side.

#include <set>
#include <string_view>

#include "platform/Appearance.h"
#include "platform/Cursors.h"
#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

const std::vector<int16_t> Loud = PeakBlock(20000, 20000);

// The mode a test sets before a block arrives, and the enabled states the
// refresh must give each group of controls.
struct Mode {
  const char* Name;
  bool Channel, SpectralAmp, FFTMode, AutoSensitivity;
  bool Spectrum, Scale, Grid, Amplitude, Sensitivity;
};

class StatusRefresh : public ::testing::TestWithParam<Mode> {};

void ExpectEnabled(std::initializer_list<QWidget*> controls, bool enabled, const char* group) {
  for (QWidget* control : controls)
    EXPECT_EQ(control->isEnabled(), enabled) << group << ": " << qPrintable(control->objectName());
}

} // namespace

TEST_P(StatusRefresh, EnablesTheControlsOfTheChosenMode) {
  const Mode& mode = GetParam();
  DeviceWindow w;
  TForm1& f = *w.form;
  // A block without a channel first disables everything, so each "on" below
  // was switched on by the refresh.
  w.Feed(Loud);
  f.RCnl->SetChecked(mode.Channel);
  f.Scope->SetChecked(true);
  f.SpectralAmp->SetChecked(mode.SpectralAmp);
  f.FFTMode->SetChecked(mode.FFTMode);
  f.AutoSensitivity->SetChecked(mode.AutoSensitivity);
  w.Feed(Loud);

  EXPECT_EQ(f.AnyChannel, mode.Channel);
  ExpectEnabled({f.ColorBox, f.RB22K, f.RB11K, f.RB6K}, mode.Spectrum, "spectrum");
  ExpectEnabled({f.FFTMode, f.fLog, f.fSqrt, f.fLinear, f.Filter, f.cbWnd, f.AutoSensitivity},
                mode.Scale, "scale");
  ExpectEnabled({f.Grid}, mode.Grid, "grid");
  ExpectEnabled({f.BtnReset, f.dB10, f.dB30, f.dB60, f.LineMode, f.DotMode}, mode.Amplitude,
                "amplitude");
  ExpectEnabled({f.Sensitivity, f.LSensVal}, mode.Sensitivity, "sensitivity");
  ExpectEnabled(
      {f.AutoFrqCount, f.Sync, f.YScaleLbl, f.LabelX, f.LabelY, f.AutoYScale, f.ScopeXW, f.ScopeYW},
      mode.Channel, "counter and oscilloscope");
}

INSTANTIATE_TEST_SUITE_P(
    Window, StatusRefresh,
    ::testing::Values(
        Mode{"NoChannel", false, false, false, false, false, false, false, false, false},
        Mode{"NoChannelSpectralAmp", false, true, false, false, false, false, false, false, false},
        Mode{"Analyser", true, false, false, false, true, true, false, false, true},
        Mode{"AnalyserAutoSensitivity", true, false, false, true, true, true, false, false, false},
        Mode{"FFTMode", true, false, true, false, false, true, true, false, true},
        Mode{"SpectralAmp", true, true, false, false, false, false, false, true, false},
        Mode{"SpectralAmpOverFFTMode", true, true, true, false, false, false, false, true, false}),
    [](const ::testing::TestParamInfo<Mode>& info) { return info.param.Name; });

TEST(StatusRefresh, SensitivityCaptionAndLabelFollowTheScale) {
  DeviceWindow w;
  TForm1& f = *w.form;
  EXPECT_EQ(f.SensGroup->Caption(), QStringLiteral("Sensitivity  "));
  f.Spectrum.SensLog = 37;
  f.Spectrum.SensSqrt = 12;
  f.Spectrum.SensLinear = 3;

  f.AutoSensitivity->SetChecked(true);
  w.Feed(Loud);
  EXPECT_EQ(f.SensGroup->Caption(), QStringLiteral("Auto Sensitivity "));
  EXPECT_EQ(f.LSensVal->Caption(), QString());

  f.AutoSensitivity->SetChecked(false);
  const std::pair<RadioButton*, QString> scales[] = {{f.fLog, QStringLiteral("37%")},
                                                     {f.fSqrt, QStringLiteral("12%")},
                                                     {f.fLinear, QStringLiteral("3%")}};
  for (const auto& [button, text] : scales) {
    button->SetChecked(true);
    w.Feed(Loud);
    EXPECT_EQ(f.SensGroup->Caption(), QStringLiteral("Sensitivity "));
    EXPECT_EQ(f.LSensVal->Caption(), text) << qPrintable(button->objectName());
  }
  // No scale selected: the label keeps its text.
  f.fLinear->SetChecked(false);
  f.Spectrum.SensLinear = 99;
  w.Feed(Loud);
  EXPECT_EQ(f.LSensVal->Caption(), QStringLiteral("3%"));

  // The speed label and the per-block copy follow the up-down.
  f.Speed->SetPosition(3);
  w.Feed(Loud);
  EXPECT_EQ(f.LSpeed->Caption(), QStringLiteral("Speed:3"));
  EXPECT_EQ(f.SpeedPos, 3);
}

TEST(StatusRefresh, RulerIsHiddenInFFTModeAndNarrowForTheAmplitudeGraph) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.Ruler->SetChecked(true);
  struct Case {
    bool FFTMode, SpectralAmp, Ruler;
    bool Shown;
    QSize Size;
  };
  for (const Case& c :
       {Case{false, false, true, true, {36, 512}}, Case{true, false, true, false, {36, 512}},
        Case{true, true, true, true, {21, 493}}, Case{false, true, true, true, {21, 493}},
        Case{false, false, false, false, {36, 512}}}) {
    f.FFTMode->SetChecked(c.FFTMode);
    f.SpectralAmp->SetChecked(c.SpectralAmp);
    f.Ruler->SetChecked(c.Ruler);
    w.Feed(Loud);
    EXPECT_EQ(!f.RulerPanel->isHidden(), c.Shown)
        << "FFT " << c.FFTMode << ", Sp. Amp " << c.SpectralAmp << ", Ruler " << c.Ruler;
    EXPECT_EQ(f.RulerPanel->size(), c.Size) << "Sp. Amp " << c.SpectralAmp;
  }
}

// STOP with and without the oscilloscope on: what stays usable, what goes dark.
class StopButton : public ::testing::TestWithParam<bool> {};

TEST_P(StopButton, FreezesTheInputAndStartOpensAFreshStream) {
  const bool scopeOn = GetParam();
  DeviceWindow w;
  TForm1& f = *w.form;
  f.RCnl->SetChecked(true);
  f.Scope->SetChecked(scopeOn);
  f.Led->SetChecked(true);
  f.ShowLevels->SetChecked(true);
  f.SpectralAmp->SetChecked(true);
  w.Feed(Loud);
  ASSERT_EQ(ReadMeter(*f.PeakLedDisplay1), (MeterView{50, 0}));
  ASSERT_TRUE(f.LFBox->isEnabled());
  const bool resetEnabled = f.BtnReset->isEnabled();

  f.BtnStop->click();
  ASSERT_TRUE(f.BtnStop->Down());
  EXPECT_FALSE(f.Capture.Recording);
  EXPECT_TRUE(f.Stopped);

  const std::set<std::string_view> generatorSwitches = {"Frq1",   "Frq2",   "AutoG",  "Noise",
                                                        "RcBox0", "RcBox1", "RcBox2", "RcBox3",
                                                        "LcBox0", "LcBox1", "LcBox2", "LcBox3"};
  const std::set<std::string_view> scopeScales = {"ScopeXW", "ScopeYW", "YScaleLbl", "LabelY",
                                                  "LabelX"};
  for (const ComponentSpec& entry : Components) {
    const QWidget* control = f.Component(entry.Index);
    switch (entry.Kind) {
    case ComponentKind::CheckBox:
    case ComponentKind::RadioButton:
    case ComponentKind::UpDown:
      EXPECT_EQ(control->isEnabled(), generatorSwitches.contains(entry.Name) ||
                                          (scopeOn && scopeScales.contains(entry.Name)))
          << entry.Name;
      break;
    case ComponentKind::SpinEdit:
      EXPECT_TRUE(control->isEnabled()) << entry.Name;
      break;
    default:
      break;
    }
  }
  for (const QWidget* label : {static_cast<QWidget*>(f.LSpeed), static_cast<QWidget*>(f.Rlevel),
                               static_cast<QWidget*>(f.Llevel)})
    EXPECT_FALSE(label->isEnabled()) << qPrintable(label->objectName());
  for (const QWidget* label : {f.YScaleLbl, f.LabelY, f.LabelX})
    EXPECT_EQ(label->isEnabled(), scopeOn) << qPrintable(label->objectName());
  EXPECT_TRUE(f.BtnStop->isEnabled());
  EXPECT_EQ(f.BtnReset->isEnabled(), resetEnabled);

  EXPECT_EQ(f.Levels.LedL.Level, 0);
  EXPECT_EQ(f.Levels.LedL.Peak, 0);
  EXPECT_EQ(f.Levels.LedR.Peak, 0);
  EXPECT_EQ(ReadMeter(*f.PeakLedDisplay1), (MeterView{0, 0}));
  EXPECT_EQ(ReadMeter(*f.PeakLedDisplay2), (MeterView{0, 0}));
  EXPECT_EQ(FontColorOf(f.LabelR), clBtnShadow);
  EXPECT_EQ(FontColorOf(f.LabelL), clBtnShadow);

  // The buffers still queued come back and are not handed out again: the
  // device runs dry, and nothing of those blocks is shown.
  const QString rightText = f.Rlevel->Caption();
  for (int block = 0; block < 4; ++block)
    w.Feed(PeakBlock(1, 1));
  EXPECT_FALSE(w.audio->DeliverBlock(Loud));
  EXPECT_EQ(f.Levels.PeakR, 20000);
  EXPECT_EQ(f.Rlevel->Caption(), rightText);
  EXPECT_EQ(ReadMeter(*f.PeakLedDisplay2), (MeterView{0, 0}));
  EXPECT_FALSE(f.ColorBox->isEnabled());
  EXPECT_EQ(w.audio->InResets, 0);
  EXPECT_EQ(w.audio->InCloses, 0);

  // START: the stopped stream is reset and closed before the new open, so
  // only one stream delivers blocks.
  SetScreenCursor(1);
  f.BtnStop->click();
  ASSERT_FALSE(f.BtnStop->Down());
  EXPECT_TRUE(f.Capture.Recording);
  EXPECT_FALSE(f.Stopped);
  EXPECT_EQ(ScreenCursor(), crDefault);
  EXPECT_EQ(w.audio->InResets, 1);
  EXPECT_EQ(w.audio->InCloses, 1);
  EXPECT_EQ(w.audio->InOpens, 2);
  EXPECT_EQ(w.audio->InOpensWhileOpen, 0);
  EXPECT_EQ(w.audio->QueuedInBuffers(), 4u);
  EXPECT_FALSE(f.Capture.InClosed);
  ExpectEnabled({f.Ruler, f.SpectralAmp, f.LCnl, f.RCnl, f.Led, f.Scope, f.LSpeed, f.Speed,
                 f.ShowLevels, f.Sensitivity},
                true, "enabled by START");
  EXPECT_FALSE(f.LFBox->isEnabled());
  EXPECT_EQ(FontColorOf(f.LabelR), clWhite);

  // Blocks flow again, are shown, and keep circulating.
  for (int block = 0; block < 6; ++block)
    w.Feed(Loud);
  EXPECT_EQ(ReadMeter(*f.PeakLedDisplay2), (MeterView{50, 0}));
  EXPECT_TRUE(f.BtnReset->isEnabled());
  EXPECT_FALSE(f.LFBox->isEnabled());
  EXPECT_TRUE(Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Window, StopButton, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "ScopeOn" : "ScopeOff";
                         });
