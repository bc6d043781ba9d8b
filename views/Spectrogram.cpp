// The scrolling spectrum analyser and its controls.

#include "app/Main.h"

void TForm1::DrawSpectrogram() {}

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
