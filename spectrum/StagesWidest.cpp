// SPDX-License-Identifier: GPL-3.0-or-later
// The butterfly stages with eight lanes, for processors with AVX-512; this
// file alone is built for that instruction set and runs only where it is
// present.

#include <immintrin.h>

#include "spectrum/Butterflies.h"
#include "spectrum/Stages.h"

namespace {
typedef double Lanes8 __attribute__((vector_size(8 * sizeof(double))));
// GCC 12's header leaves a lane of an unused mask operand unset and then warns.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
Lanes8 Sqrt8(Lanes8 v) {
  return _mm512_sqrt_pd(v);
}
#pragma GCC diagnostic pop
} // namespace

void StagesWidest(double* re, double* im, const double* twRe, const double* twIm, std::size_t n) {
  Stages<Lanes8>(re, im, twRe, twIm, n);
}

double ModuliWidest(double* re, const double* im, std::size_t count) {
  return Moduli<Lanes8, Sqrt8>(re, im, count);
}

double SpectrumWidest(const SpectrumJob& job) {
  return StripedSpectrum<Lanes8, Sqrt8>(job);
}

void ScaleWidest(double* values, std::size_t count, const Scaling& scaling) {
  ScaleValues<Lanes8, Sqrt8>(values, count, scaling);
}
