// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The analysis step that serves the spectrogram, the FFT bars and the
// amplitude trace: one channel's block through SpectrumFFT, with the scale
// mode and gain and the switches the view chose.

#include <cstdint>

#include "spectrum/SpectrumLibrary.h"
#include "views/SpectrumState.h"

struct ScaleChoice {
  uint8_t Mode = ScaleLog;
  double Gain = 0.0;
};

// The ticked scale button with that scale's sensitivity; Log with gain 0 when
// none is ticked.
inline ScaleChoice ChooseScale(bool log, bool sqrt, bool linear, const SpectrumState& s) {
  ScaleChoice choice;
  if (log) choice = {ScaleLog, static_cast<double>(s.SensLog)};
  if (sqrt) choice = {ScaleSqrt, static_cast<double>(s.SensSqrt)};
  if (linear) choice = {ScaleLinear, static_cast<double>(s.SensLinear)};
  return choice;
}

// What SpectrumFFT is told besides the samples: the checked scale button's
// mode and sensitivity, and the Filter, Auto and Wind switches.
struct TransformSettings {
  ScaleChoice Scale;
  bool Filter = false, Auto = false, Window = false;
};

// Transforms one channel's 2048 samples into spectrum[0..1024] and its
// strongest bin; peak is the block's largest sample magnitude.
void TransformChannel(const int16_t* samples, int32_t peak, double* spectrum, uint16_t& peakBin,
                      const TransformSettings& settings);
