// SPDX-License-Identifier: GPL-3.0-or-later
// The frequency read-outs of the two channels.

#include "app/Main.h"
#include "platform/Appearance.h"
#include "views/FrequencyMath.h"

void TForm1::ShowFrequency(char Channel) {
  const bool right = Channel == 'R';
  const auto hz = right ? InterpolatedFrequency(Spectrum.SpectrumR, Spectrum.PeakBinR)
                        : InterpolatedFrequency(Spectrum.SpectrumL, Spectrum.PeakBinL);
  if (!hz) return;
  (right ? RFrq : LFrq)->SetCaption(FrequencyCaption(Channel, *hz));
}

void TForm1::PointerReadout(int X, int Y) {
  const bool spectralAmp = SpectralAmp->Checked();
  if (!FFTMode->Checked() && !spectralAmp) return;
  if (!Geometry::InDisplay(X, Y) || !AnyChannel) return;
  if (AutoFrqCount->Checked() && !Stopped) return;

  // The display bitmap holds the pixel the screen shows under the pointer.
  const TColor pixel =
      DisplayBitmap->GetPixel(X - Geometry::Display.Left, Y - Geometry::Display.Top);
  const auto bin = static_cast<uint16_t>(
      BinAtColumn(X - Geometry::Display.Left, spectralAmp && LFBox->Checked()));
  if (pixel == clFuchsia) {
    SetFontColor(RFrq, clFuchsia);
    Spectrum.PeakBinR = bin;
    ShowFrequency('R');
  } else {
    SetFontColor(RFrq, clBtnShadow);
  }
  if (pixel == clAqua) {
    SetFontColor(LFrq, clAqua);
    Spectrum.PeakBinL = bin;
    ShowFrequency('L');
  } else {
    SetFontColor(LFrq, clBtnShadow);
  }
}

void TForm1::AutoFrqCountClick(QObject*) {
  AnyChannel = RCnl->Checked() || LCnl->Checked();
  if (!RCnl->Checked()) SetFontColor(RFrq, clBtnShadow);
  if (!LCnl->Checked()) SetFontColor(LFrq, clBtnShadow);
  if (!AutoFrqCount->Checked()) {
    SetFontColor(RFrq, clBtnShadow);
    SetFontColor(LFrq, clBtnShadow);
  }
  SetFontColor(LabelR, RCnl->Checked() ? clWhite : clBtnShadow);
  SetFontColor(LabelL, LCnl->Checked() ? clWhite : clBtnShadow);
}
