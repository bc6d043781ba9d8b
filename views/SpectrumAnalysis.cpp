// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SpectrumAnalysis.h"

namespace {

constexpr uint16_t Points = 2048, PointBits = 11;

} // namespace

void TransformChannel(const int16_t* samples, int32_t peak, double* spectrum, uint16_t& peakBin,
                      const TransformSettings& settings) {
  SpectrumFFT(Points, PointBits, samples, spectrum, peakBin, settings.Scale.Mode,
              settings.Scale.Gain, peak + 1, settings.Filter, settings.Auto, settings.Window);
}
