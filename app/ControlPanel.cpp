// The control panel: STOP/START, the Led switch, and the status refresh that
// runs after every captured block.

#include <cmath>

#include "app/Main.h"
#include "platform/Appearance.h"
#include "platform/Cursors.h"
#include "platform/Format.h"

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
  for (QWidget* control :
       std::initializer_list<QWidget*>{Frq1, Frq2, AutoG, BtnStop, Noise, RcBox0, RcBox1, RcBox2,
                                       RcBox3, LcBox0, LcBox1, LcBox2, LcBox3})
    control->setEnabled(true);
  LedL = TLedLevel{0, 0};
  LedR = TLedLevel{0, 0};
  PeakLedDisplay1->SetLevel(LedL);
  PeakLedDisplay2->SetLevel(LedR);
  SetFontColor(LabelR, clBtnShadow);
  SetFontColor(LabelL, clBtnShadow);
  if (Scope->Checked() && AnyChannel) {
    for (QWidget* control :
         std::initializer_list<QWidget*>{ScopeXW, ScopeYW, YScaleLbl, LabelY, LabelX})
      control->setEnabled(true);
  }
  Capture.Recording = false;
  Stopped = true;
}

// The switch is read by the capture handler on every block.
void TForm1::LedClick(QObject*) {}

void TForm1::UpdateStatus() {
  AnyChannel = RCnl->Checked() || LCnl->Checked();
  const bool c = AnyChannel;
  const bool spectralAmp = SpectralAmp->Checked();
  const bool fftMode = FFTMode->Checked();

  LSpeed->SetCaption(QStringLiteral("Speed:") + QString::number(Speed->ClampedPosition()));

  if (AutoSensitivity->Checked()) {
    SensGroup->SetCaption(QStringLiteral("Auto Sensitivity "));
    LSensVal->SetCaption(QString());
  } else {
    SensGroup->SetCaption(QStringLiteral("Sensitivity "));
    // A stored sensitivity beyond the up-down's range shows as its nearest bound.
    const auto shown = [this](int32_t sensitivity) {
      return QString::number(Sensitivity->Clamp(sensitivity)) + QStringLiteral("%");
    };
    if (fLog->Checked()) LSensVal->SetCaption(shown(SensLog));
    if (fSqrt->Checked()) LSensVal->SetCaption(shown(SensSqrt));
    if (fLinear->Checked()) LSensVal->SetCaption(shown(SensLinear));
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

  RulerPanel->resize(spectralAmp ? 21 : 36, spectralAmp ? 493 : 512);

  if (AutoYScale->Checked() && Scope->Checked() && c) {
    const int p = ScopeYW->ClampedPosition();
    const auto square = static_cast<int16_t>(p * p);
    LabelY->SetCaption(FormatFloat("%2.1f", 20.0 * std::log10(square) - 90.309) +
                       QStringLiteral(" dB"));
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
