// The FFT bar graph and the spectral amplitude trace.

#include "app/Main.h"

void TForm1::DrawAmpGraph() {}

void TForm1::SpectralAmpClick(QObject*) {
  RulerPanel->update();
  LFBox->setEnabled(SpectralAmp->Checked());
}

void TForm1::BtnResetClick(QObject*) {
  Amp.AmpPrevR = Amp.AmpCurR = Amp.AmpPrevL = Amp.AmpCurL = QPoint(0, 492);
  Amp.AmpReady = false;
  SpectralAmpClick(this);
}

void TForm1::LFBoxClick(QObject*) {
  if (SpectralAmp->Checked()) SpectralAmpClick(this);
}
