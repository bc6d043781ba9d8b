// SPDX-License-Identifier: GPL-3.0-or-later
// The scrolling spectrum analyser and its controls.

#include "app/Main.h"
#include "views/SpectrogramDrawing.h"

void TForm1::DrawSpectrogram() {
  const TransformSettings transform = AnalyserSettings();
  const ChannelChoice channels{RCnl->Checked(), LCnl->Checked()};
  if (channels.Right) TransformAndCount('R', transform);
  if (channels.Left) TransformAndCount('L', transform);

  const SpectrogramRange range = RB11K->Checked()  ? SpectrogramRange::Half
                                 : RB6K->Checked() ? SpectrogramRange::Quarter
                                                   : SpectrogramRange::Full;
  PaintColumn(*ColumnBitmap, Spectrum, channels, range, ColorBox->Checked());
  // The picture moves left by the speed (1..9) and the freed columns repeat
  // the new one; the window's picture moves as the bitmap did, and only the
  // new columns are painted.
  DisplayBitmap->ScrollLeft(SpeedPos, *ColumnBitmap);
  ScrollWindow(Geometry::Display, -SpeedPos);
}

// Copies the position the step leads to, so every click moves the picture
// the way its arrow points; another scale's value takes effect at its next
// step.
void TForm1::SensitivityChanging(QObject*, bool&) {
  const int32_t position = Sensitivity->Clamp(Sensitivity->NewPosition());
  if (fLinear->Checked()) Spectrum.SensLinear = position;
  if (fSqrt->Checked()) Spectrum.SensSqrt = position;
  if (fLog->Checked()) Spectrum.SensLog = position;
}

// The ruler repaints its scale; the picture keeps the range it was drawn with.
void TForm1::RB22KClick(QObject*) {
  RulerPanel->update();
}

void TForm1::FFTModeClick(QObject*) {
  if (SpectralAmp->Checked()) return;
  if (FFTMode->Checked()) {
    SpectralAmpClick(this);
  } else {
    DisplayBitmap->BrushColor = clBlack;
    DisplayBitmap->FillRect(0, 0, DisplayBitmap->Width(), DisplayBitmap->Height());
    CopyToWindow(Geometry::Display);
  }
}
