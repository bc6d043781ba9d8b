#pragma once
// The scale mode and gain the spectral views pass to SpectrumFFT.

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
