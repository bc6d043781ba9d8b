// The FFT bar graph and the spectral amplitude trace.

#include "app/Main.h"
#include "spectrum/SpectrumLibrary.h"
#include "views/ScaleChoice.h"

void TForm1::DrawAmpGraph() {
  if (!Amp.AmpReady) {
    // Set first, so that the background drawn while STOP is down does not
    // come back here.
    Amp.AmpReady = true;
    SpectralAmpClick(this);
  }
  Bitmap& display = *DisplayBitmap;
  constexpr uint16_t N = SampleBlock::Frames, Bits = 11;

  if (SpectralAmp->Checked()) {
    // Plain magnitudes with the taper, whatever the analyser's settings.
    const auto range = AmpPixelsPerDb(dB10->Checked(), dB30->Checked(), dB60->Checked());
    const int columnsPerBin = LFBox->Checked() ? 5 : 1;
    const bool line = LineMode->Checked(), dot = DotMode->Checked();
    if (RCnl->Checked()) {
      SpectrumFFT(N, Bits, Samples.Right(), Spectrum.SpectrumR.data(), Spectrum.PeakBinR, ScaleRaw,
                  0.0, 0, false, false, false);
      if (AutoFrqCount->Checked()) ShowFrequency('R');
      StepAmpTrace(display, Amp.AmpPrevR, Amp.AmpCurR, Spectrum.PeakBinR * columnsPerBin,
                   Levels.PeakR, range, {line, dot, clFuchsia});
    }
    if (LCnl->Checked()) {
      SpectrumFFT(N, Bits, Samples.Left(), Spectrum.SpectrumL.data(), Spectrum.PeakBinL, ScaleRaw,
                  0.0, 0, false, false, false);
      if (AutoFrqCount->Checked()) ShowFrequency('L');
      StepAmpTrace(display, Amp.AmpPrevL, Amp.AmpCurL, Spectrum.PeakBinL * columnsPerBin,
                   Levels.PeakL, range, {line, dot, clAqua});
    }
  } else {
    const ScaleChoice scale =
        ChooseScale(fLog->Checked(), fSqrt->Checked(), fLinear->Checked(), Spectrum);
    const bool filter = Filter->Checked(), autoScale = AutoSensitivity->Checked(),
               window = cbWnd->Checked();
    // Cleared once per block whatever the channels; the left channel's bars
    // stand over the right channel's.
    ClearFFTGraph();
    if (RCnl->Checked()) {
      SpectrumFFT(N, Bits, Samples.Right(), Spectrum.SpectrumR.data(), Spectrum.PeakBinR,
                  scale.Mode, scale.Gain, Levels.PeakR + 1, filter, autoScale, window);
      DrawFFTBars(display, Spectrum.SpectrumR, clFuchsia);
      if (AutoFrqCount->Checked()) ShowFrequency('R');
    }
    if (LCnl->Checked()) {
      SpectrumFFT(N, Bits, Samples.Left(), Spectrum.SpectrumL.data(), Spectrum.PeakBinL, scale.Mode,
                  scale.Gain, Levels.PeakL + 1, filter, autoScale, window);
      DrawFFTBars(display, Spectrum.SpectrumL, clAqua);
      if (AutoFrqCount->Checked()) ShowFrequency('L');
    }
  }
  CopyToWindow(Geometry::Display);
}

void TForm1::ClearFFTGraph() {
  ClearFFTArea(*DisplayBitmap, Grid->Checked());
}

void TForm1::SpectralAmpClick(QObject*) {
  RulerPanel->update();
  LFBox->setEnabled(SpectralAmp->Checked());
  DrawAmpBackground(*DisplayBitmap, SpectralAmp->Checked(), LFBox->Checked(), FFTMode->Checked());
  // With no blocks arriving the FFT graph is drawn from the last one now.
  if (Stopped && FFTMode->Checked() && !SpectralAmp->Checked()) DrawAmpGraph();
  CopyToWindow(Geometry::Display);
}

void TForm1::BtnResetClick(QObject*) {
  Amp.AmpPrevR = Amp.AmpCurR = Amp.AmpPrevL = Amp.AmpCurL = AmpTraceStart;
  Amp.AmpReady = false;
  SpectralAmpClick(this);
}

void TForm1::LFBoxClick(QObject*) {
  if (SpectralAmp->Checked()) SpectralAmpClick(this);
}
