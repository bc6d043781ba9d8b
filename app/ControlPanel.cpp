// SPDX-License-Identifier: GPL-3.0-or-later
// The control panel: STOP/START, the Led switch, and the status refresh that
// runs after every captured block.

#include "app/Main.h"
#include "app/MeasurementWindow.h"
#include "app/SpectrumWindow.h"
#include "generator/SourceTable.h"
#include "platform/Appearance.h"
#include "platform/Cursors.h"
#include "views/ScaleCaption.h"

void TForm1::BtnStopClick(QObject*) {
  if (!BtnStop->Down()) {
    for (QWidget* control : std::initializer_list<QWidget*>{
             Ruler, SpectralAmp, LCnl, RCnl, Led, Scope, LSpeed, Speed, ShowLevels, Sensitivity})
      control->setEnabled(true);
    SetScreenCursor(crDefault);
    AutoFrqCountClick(this);
    OpenCapture();
    Capture.Recording = true;
    Stopped = false;
    Measurements->Hold(false);
    SpectrumWin->Hold(false);
    return;
  }

  for (const ComponentSpec& entry : Components) {
    if (entry.Kind == ComponentKind::CheckBox || entry.Kind == ComponentKind::RadioButton ||
        entry.Kind == ComponentKind::UpDown)
      Component(entry.Index)->setEnabled(false);
  }
  for (QWidget* control :
       std::initializer_list<QWidget*>{LSpeed, YScaleLbl, LabelY, Rlevel, Llevel, LabelX})
    control->setEnabled(false);
  BtnStop->setEnabled(true);
  for (const GenSourceRow& row : GenSourceRows)
    for (CheckBox* TForm1::*box : {row.Switch, row.Left, row.Right})
      (this->*box)->setEnabled(true);
  ShowMeters({0, 0}, {0, 0});
  SetFontColor(LabelR, clBtnShadow);
  SetFontColor(LabelL, clBtnShadow);
  if (Scope->Checked() && AnyChannel) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{ScopeXW, ScopeYW, YScaleLbl, LabelY, LabelX})
      control->setEnabled(true);
  }
  Capture.Recording = false;
  Stopped = true;
  Measurements->Hold(true);
  SpectrumWin->Hold(true);
}

// The switch is read by the capture handler on every block.
void TForm1::LedClick(QObject*) {}

void TForm1::UpdateStatus() {
  AnyChannel = RCnl->Checked() || LCnl->Checked();
  const bool c = AnyChannel;
  const bool spectralAmp = SpectralAmp->Checked();
  const bool fftMode = FFTMode->Checked();

  LSpeed->SetCaption(CaptionText().Append("Speed:").AppendInt(Speed->ClampedPosition()));

  if (AutoSensitivity->Checked()) {
    SensGroup->SetCaption(QStringLiteral("Auto Sensitivity "));
    LSensVal->SetCaption(QString());
  } else {
    SensGroup->SetCaption(QStringLiteral("Sensitivity "));
    // A stored sensitivity beyond the up-down's range shows as its nearest bound.
    const auto shown = [this](int32_t sensitivity) {
      return CaptionText().AppendInt(Sensitivity->Clamp(sensitivity)).Append("%");
    };
    if (fLog->Checked()) LSensVal->SetCaption(shown(Spectrum.SensLog));
    if (fSqrt->Checked()) LSensVal->SetCaption(shown(Spectrum.SensSqrt));
    if (fLinear->Checked()) LSensVal->SetCaption(shown(Spectrum.SensLinear));
  }

  Sensitivity->setEnabled(!spectralAmp && !AutoSensitivity->Checked() && c);
  LSensVal->setEnabled(Sensitivity->isEnabled());

  RulerPanel->setVisible(fftMode && !spectralAmp ? false : Ruler->Checked());

  Rlevel->setEnabled(ShowLevels->Checked());
  Llevel->setEnabled(ShowLevels->Checked());

  BtnReset->setEnabled(spectralAmp && c);
  for (QWidget* control : std::initializer_list<QWidget*>{dB10, dB30, dB60, LineMode, DotMode})
    control->setEnabled(BtnReset->isEnabled());

  ColorBox->setEnabled(!spectralAmp && !fftMode && c);
  for (QWidget* control : std::initializer_list<QWidget*>{RB22K, RB11K, RB6K})
    control->setEnabled(ColorBox->isEnabled());

  Grid->setEnabled(!spectralAmp && fftMode && c);

  FFTMode->setEnabled(!spectralAmp && c);
  for (QWidget* control :
       std::initializer_list<QWidget*>{fLog, fSqrt, fLinear, Filter, cbWnd, AutoSensitivity})
    control->setEnabled(FFTMode->isEnabled());

  AutoFrqCount->setEnabled(c);

  if (spectralAmp)
    RulerPanel->resize(Geometry::RulerLevelWidth, Geometry::RulerLevelHeight);
  else
    RulerPanel->resize(Geometry::RulerFrequencyWidth, Geometry::RulerFrequencyHeight);

  if (AutoYScale->Checked() && Scope->Checked() && c) {
    LabelY->SetCaption(YScaleCaption(ScopeYW->ClampedPosition()));
  }

  Sync->setEnabled(Scope->Checked() && c);
  for (QWidget* control :
       std::initializer_list<QWidget*>{YScaleLbl, LabelX, LabelY, AutoYScale, ScopeXW})
    control->setEnabled(Sync->isEnabled());

  ScopeYW->setEnabled(Scope->Checked() && !AutoYScale->Checked() && c);

  if (AutoFrqCount->Checked()) {
    if (RCnl->Checked()) SetFontColor(RFrq, clFuchsia);
    if (LCnl->Checked()) SetFontColor(LFrq, clAqua);
  }
}
