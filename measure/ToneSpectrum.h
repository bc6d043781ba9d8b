#pragma once
// The spectra the measurements are read from: the whole span, DC removed,
// under a 7-term Blackman-Harris window, zero-padded to a power of two.
//
// Why this window: its side lobes lie below -180 dB, under the noise of any
// 16-bit or 24-bit signal, so the tone leaks nothing outside its main lobe of
// +-7 bins (of the span's length) and the noise and distortion can be summed
// from the bins outside that lobe. Near its top the lobe is so close to a
// Gaussian that a parabola through the logarithms of the three highest bins
// finds the tone's frequency to a few thousandths of a bin; a final look at
// the windowed transform itself at points 1/20 bin either side removes what
// is left (see ToneFrequency).

#include <complex>
#include <cstdint>
#include <span>
#include <vector>

namespace measure {

struct ToneSpectrum {
  std::vector<std::complex<double>> Bins; // 0 .. Points / 2 of the transform
  std::vector<double> Signal;             // the span, DC removed, 1.0 = 32768
  std::size_t Points = 0;                 // transform size
  double BinHz = 0;                       // sampleRate / Points
  double PowerScale = 0; // times |bin|^2: that bin's share of the power, 1.0 = full scale^2
  std::size_t Lobe = 0;  // the window's main lobe reaches this many bins either side
};

// Both channels through one complex transform (left real, right imaginary).
// right may be empty: then only the first is made.
void TransformChannels(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                       double sampleRate, ToneSpectrum* leftOut, ToneSpectrum* rightOut);

// The windowed transform of Signal at any frequency (Hz), on the same scale
// as the bins.
std::complex<double> TransformAt(const ToneSpectrum& spectrum, double hz, double sampleRate);

// The window's value at every sample of an n-sample span; cached per thread.
const std::vector<double>& WindowTable(std::size_t n);

} // namespace measure
