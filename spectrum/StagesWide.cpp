// SPDX-License-Identifier: GPL-3.0-or-later
// The butterfly stages with four lanes, for processors with AVX; this file
// alone is built for that instruction set and runs only where it is present.

#include <immintrin.h>

#include "spectrum/Butterflies.h"
#include "spectrum/Stages.h"

namespace {
typedef double Lanes4 __attribute__((vector_size(4 * sizeof(double))));
Lanes4 Sqrt4(Lanes4 v) {
  return _mm256_sqrt_pd(v);
}
} // namespace

void StagesWide(double* re, double* im, const double* twRe, const double* twIm, std::size_t n) {
  Stages<Lanes4>(re, im, twRe, twIm, n);
}

double ModuliWide(double* re, const double* im, std::size_t count) {
  return Moduli<Lanes4, Sqrt4>(re, im, count);
}

double SpectrumWide(const SpectrumJob& job) {
  return StripedSpectrum<Lanes4, Sqrt4>(job);
}

void ScaleWide(double* values, std::size_t count, const Scaling& scaling) {
  ScaleValues<Lanes4, Sqrt4>(values, count, scaling);
}
