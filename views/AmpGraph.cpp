// SPDX-License-Identifier: GPL-3.0-or-later
// The FFT bar graph and the spectral amplitude trace.

#include "app/Main.h"
#include "views/SpectrumAnalysis.h"

void TForm1::DrawAmpGraph() {
  if (!Amp.AmpReady) {
    // Set first, so that the background drawn while STOP is down does not
    // come back here.
    Amp.AmpReady = true;
    SpectralAmpClick(this);
  }
  Bitmap& display = *DisplayBitmap;

  if (SpectralAmp->Checked()) {
    // Plain magnitudes with the taper, whatever the analyser's settings.
    const auto range = AmpPixelsPerDb(dB10->Checked(), dB30->Checked(), dB60->Checked());
    const int columnsPerBin = LFBox->Checked() ? LowFrqColumnsPerBin : 1;
    const bool line = LineMode->Checked(), dot = DotMode->Checked();
    const TransformSettings magnitudes{{ScaleRaw, 0.0}};
    // Only the pixels the traces moved over are handed to the window.
    QRect touched;
    if (RCnl->Checked()) {
      TransformAndCount('R', magnitudes);
      touched |= StepAmpTrace(display, Amp.AmpPrevR, Amp.AmpCurR, Spectrum.PeakBinR * columnsPerBin,
                              Levels.PeakR, range, {line, dot, clFuchsia});
      // Kept as the trace keeps it: a point at or below the baseline is not.
      if (Amp.AmpCurR.y() < Geometry::GraphBaseline)
        Amp.Points.Record(Amp.Points.Right, Amp.AmpCurR.x(), AmpTraceLevel(Levels.PeakR));
    }
    if (LCnl->Checked()) {
      TransformAndCount('L', magnitudes);
      touched |= StepAmpTrace(display, Amp.AmpPrevL, Amp.AmpCurL, Spectrum.PeakBinL * columnsPerBin,
                              Levels.PeakL, range, {line, dot, clAqua});
      if (Amp.AmpCurL.y() < Geometry::GraphBaseline)
        Amp.Points.Record(Amp.Points.Left, Amp.AmpCurL.x(), AmpTraceLevel(Levels.PeakL));
    }
    if (!touched.isEmpty())
      CopyToWindow({Geometry::Display.Left + touched.x(), Geometry::Display.Top + touched.y(),
                    touched.width(), touched.height()});
  } else {
    const TransformSettings transform = AnalyserSettings();
    // Cleared once per block whatever the channels; the left channel's bars
    // stand over the right channel's.
    ClearFFTGraph();
    if (RCnl->Checked()) {
      TransformAndCount('R', transform);
      DrawFFTBars(display, Spectrum.SpectrumR, clFuchsia);
    }
    if (LCnl->Checked()) {
      TransformAndCount('L', transform);
      DrawFFTBars(display, Spectrum.SpectrumL, clAqua);
    }
    // The label strip below the graph stays as it was.
    CopyToWindow({Geometry::Display.Left, Geometry::Display.Top, Geometry::Display.Width,
                  Geometry::GraphRows});
  }
}

void TForm1::ClearFFTGraph() {
  ClearFFTArea(*DisplayBitmap, Grid->Checked());
}

void TForm1::SpectralAmpClick(QObject*) {
  RulerPanel->update();
  LFBox->setEnabled(SpectralAmp->Checked());
  Amp.Points.Clear(LFBox->Checked() ? LowFrqColumnsPerBin : 1);
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
