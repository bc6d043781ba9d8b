// SPDX-License-Identifier: GPL-3.0-or-later
// The analysis step of the spectral views as the window runs it: the
// analyser's controls read into settings, and a channel transformed and
// counted.

#include "app/Main.h"

TransformSettings TForm1::AnalyserSettings() const {
  return {ChooseScale(fLog->Checked(), fSqrt->Checked(), fLinear->Checked(), Spectrum),
          Filter->Checked(), AutoSensitivity->Checked(), cbWnd->Checked()};
}

void TForm1::TransformAndCount(char channel, const TransformSettings& settings) {
  if (channel == 'R')
    TransformChannel(Samples.Right(), Levels.PeakR, Spectrum.SpectrumR.data(), Spectrum.PeakBinR,
                     settings);
  else
    TransformChannel(Samples.Left(), Levels.PeakL, Spectrum.SpectrumL.data(), Spectrum.PeakBinL,
                     settings);
  if (AutoFrqCount->Checked()) ShowFrequency(channel);
}
