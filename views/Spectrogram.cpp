// The scrolling spectrum analyser and its controls.

#include "app/Main.h"
#include "views/SpectrogramDrawing.h"

void TForm1::DrawSpectrogram() {
  TransformSettings transform;
  transform.Scale = ChooseScale(fLog->Checked(), fSqrt->Checked(), fLinear->Checked(), Spectrum);
  transform.Filter = Filter->Checked();
  transform.Auto = AutoSensitivity->Checked();
  transform.Window = cbWnd->Checked();
  const ChannelChoice channels{RCnl->Checked(), LCnl->Checked()};

  if (channels.Right) {
    TransformChannel(Samples.Right(), Levels.PeakR, Spectrum.SpectrumR.data(), Spectrum.PeakBinR,
                     transform);
    if (AutoFrqCount->Checked()) ShowFrequency('R');
  }
  if (channels.Left) {
    TransformChannel(Samples.Left(), Levels.PeakL, Spectrum.SpectrumL.data(), Spectrum.PeakBinL,
                     transform);
    if (AutoFrqCount->Checked()) ShowFrequency('L');
  }

  const SpectrogramRange range = RB11K->Checked()  ? SpectrogramRange::Half
                                 : RB6K->Checked() ? SpectrogramRange::Quarter
                                                   : SpectrogramRange::Full;
  PaintColumn(*ColumnBitmap, Spectrum, channels, range, ColorBox->Checked());
  // The scroll and the pastes touch only the display, so they run together
  // once the column is ready.
  ScrollInColumn(*DisplayBitmap, *ColumnBitmap, Speed->Clamp(SpeedPos));
  CopyToWindow(Geometry::Display);
}

// Copies the position before the step: the new scale's value takes effect
// at the next step.
void TForm1::SensitivityChanging(QObject*, bool&) {
  const int32_t position = Sensitivity->Position();
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
