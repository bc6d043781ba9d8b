// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum library: analysis window tables, the radix-2 FFT with its display
// scaling and peak search, and the intensity colour map. Plain C++, no toolkit.
//
// The window table and the FFT work arrays are module state shared by every call,
// so the routines are not reentrant: call them from one thread only (the window's
// message thread), one channel after the other.

#include <cstdint>
#include <vector>

// Window types for BuildWindow.
inline constexpr uint8_t WindowRectangular = 0;
inline constexpr uint8_t WindowTriangular = 1;
inline constexpr uint8_t WindowHann = 2;
inline constexpr uint8_t WindowHamming = 3;
inline constexpr uint8_t WindowBlackmanNuttall = 4;

// Scale modes for SpectrumFFT.
inline constexpr uint8_t ScaleLog = 0;
inline constexpr uint8_t ScaleSqrt = 1;
inline constexpr uint8_t ScaleLinear = 2;
inline constexpr uint8_t ScaleRaw = 3;

// Resizes the window table to Count entries and fills each with the window of the
// given type, centred: entry i is taken at x = i / (Count - 1) - 0.5. A single entry
// is the window's centre (x = 0). A type above 4 resizes but fills nothing (new
// entries are 0).
void BuildWindow(uint8_t WindowType, uint16_t Count);

// The low Bits bits of Value in reverse order.
int BitReverse(uint16_t Value, uint16_t Bits);

// Transforms Samples[0..N-1] and writes the display-scaled magnitudes of bins
// 0..N/2 to Values (room for N/2 + 1 doubles; later entries are left alone).
// N is a power of two up to 32768 with Bits = log2 N. UseWindow multiplies by the
// window table (which then holds at least N entries); otherwise the built-in taper
// feeds the tapered sample into both the real and the imaginary part. ScaleMode:
// 0 Log, 1 Sqrt, 2 Linear, 3 Raw; AutoScale scales by BlockPeak (>= 0, the block's
// largest absolute sample + 1) instead of Gain. PeakBin becomes the lowest bin of
// largest raw magnitude and is left as it was when every magnitude is 0.
// PeakFilter then cuts every bin lower than a neighbour by 100 (40 dB).
// Arguments outside these limits make the call do nothing at all.
void SpectrumFFT(uint16_t N, uint16_t Bits, const int16_t* Samples, double* Values,
                 uint16_t& PeakBin, uint8_t ScaleMode, double Gain, int32_t BlockPeak,
                 bool PeakFilter, bool AutoScale, bool UseWindow);

// Releases the FFT work arrays; the next SpectrumFFT allocates them again.
void FreeFFTBuffers();

// Read-only view of the window table; empty until the first BuildWindow.
const std::vector<double>& WindowTable();

// Maps a display level (0..32767; anything whose integer part lies outside that,
// or NaN, gives black) to the colour map's red, green and blue bytes.
void LevelToColor(uint8_t& Red, uint8_t& Green, uint8_t& Blue, double Level);

// Weight x Brightness x 255 rounded to the nearest integer, ties to even; 0 when
// Weight is exactly 0. The colour byte is the low 8 bits of the result.
int ColorComponent(double Brightness, double Weight);
