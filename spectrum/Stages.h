// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The FFT's butterfly stages from span 4 up, in place over re and im, with the
// twiddles of span 2h at [h, 2h), and the magnitudes after them, in kernels of
// several widths that all give the same bits. Internal to the spectrum library.

#include <cstddef>
#include <cstdint>
#include <span>

// Two lanes in portable code: any processor.
void StagesNarrow(double* re, double* im, const double* twRe, const double* twIm, std::size_t n);
// Four lanes: only on x86-64, where the processor has AVX.
void StagesWide(double* re, double* im, const double* twRe, const double* twIm, std::size_t n);
// Eight lanes: only on x86-64, where the processor has AVX-512.
void StagesWidest(double* re, double* im, const double* twRe, const double* twIm, std::size_t n);

// re[k] becomes the magnitude of bin k for k < count, with two, four or eight
// lanes; gives the largest magnitude, or 0 for none.
double ModuliNarrow(double* re, const double* im, std::size_t count);
double ModuliWide(double* re, const double* im, std::size_t count);
double ModuliWidest(double* re, const double* im, std::size_t count);

// One whole transform of n points (at least eight vectors' worth): the block,
// multiplied by factors[i], loaded in bit-reversed order (into both parts with
// bothParts, else into the real parts), every stage, and the magnitudes of bins
// 0..n/2 into magnitudes.
struct SpectrumJob {
  const int16_t* samples;
  const double* factors;
  bool bothParts;
  // Bit reversal of i over reversedBits bits, for every i < n.
  const uint16_t* reversed;
  int reversedBits;
  double* re;
  double* im;
  const double* twRe;
  const double* twIm;
  std::size_t n;
  double* magnitudes;
};

// Gives the largest magnitude, or 0 for none.
double SpectrumNarrow(const SpectrumJob& job);
double SpectrumWide(const SpectrumJob& job);
double SpectrumWidest(const SpectrumJob& job);

// A display scaling: each value's square root (with root) or the value, times
// by, then times or divided by then.
struct Scaling {
  bool root;
  double by;
  double then;
  bool divide;
};

void ScaleNarrow(double* values, std::size_t count, const Scaling& scaling);
void ScaleWide(double* values, std::size_t count, const Scaling& scaling);
void ScaleWidest(double* values, std::size_t count, const Scaling& scaling);

// The stages and the magnitudes of one width, the whole transform for
// n >= 8 Lanes, and the scaling.
struct Kernels {
  const char* Name;
  std::size_t Lanes;
  void (*Stages)(double*, double*, const double*, const double*, std::size_t);
  double (*Moduli)(double*, const double*, std::size_t);
  double (*Spectrum)(const SpectrumJob&);
  void (*Scale)(double*, std::size_t, const Scaling&);
};

// Every width this processor runs: the portable one first, the widest last.
std::span<const Kernels> UsableKernels();
// The kernels the transform uses: the widest, until UseKernels picks another.
const Kernels& ActiveKernels();
// Makes the transform use one of UsableKernels(), so that every width can be
// compared with the others on one machine.
void UseKernels(const Kernels& kernels);
