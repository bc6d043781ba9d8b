// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectra the measurements are read from: the whole span, DC removed,
// under a 7-term Blackman-Harris window, zero-padded to a power of two.
//
// Why this window: its side lobes lie below -180 dB, under the noise of any
// 16-bit or 24-bit signal, so a tone leaks nothing outside its main lobe of
// +-7 bins (of the span's length) and noise and distortion can be summed from
// the bins outside the lobes. Near its top the lobe is so close to a Gaussian,
// whose logarithm is a parabola, that the parabola through the logarithms of
// the three highest bins finds a tone's frequency to within 0.001 Hz over one
// second (0.03 Hz over one 2048-frame block), with no search and no fit.

#include <complex>
#include <cstdint>
#include <span>

namespace measure {

struct ToneSpectrum {
  // Bin k (0 .. Points / 2) of this channel's transform, worked out when asked.
  std::complex<double> Bin(std::size_t k) const;
  std::span<const double> Power; // |Bin(k)|^2 for every k, worked out at once
  double TotalPower = 0;         // their sum
  // The transform the bins come from, and which part of it is this channel's.
  std::span<const double> Re, Im;
  enum class Part { Alone, Left, Right } Of = Part::Alone;
  std::size_t Points = 0; // transform size
  double BinHz = 0;       // sampleRate / Points
  double PowerScale = 0;  // times |bin|^2: that bin's share of the power, 1.0 = full scale^2
  std::size_t Lobe = 0;   // the window's main lobe reaches this many bins either side
};

// How many bins of a transform of `points` a tone's main lobe reaches either
// side, for a span of `span` samples.
std::size_t LobeBins(std::size_t span, std::size_t points);

// Both channels through one complex transform (left real, right imaginary);
// DC stays in: the window keeps it within the lowest bins, which no figure reads.
// right may be empty, and then rightOut is left alone. The bins live in this
// thread's storage until its next call.
void TransformChannels(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                       double sampleRate, ToneSpectrum* leftOut, ToneSpectrum* rightOut);

} // namespace measure
