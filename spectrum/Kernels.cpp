// SPDX-License-Identifier: GPL-3.0-or-later
// The portable two-lane kernels, and the choice among the widths this
// processor runs. The wider ones exist only on x86-64 and run only where the
// processor reports the instruction set they were built for.

#include <vector>

#include "spectrum/Butterflies.h"
#include "spectrum/Stages.h"

namespace {

// Each lane's root is the correctly rounded one, as the vector instructions give.
Lanes2 Sqrt2(Lanes2 v) {
  return Lanes2{__builtin_sqrt(v[0]), __builtin_sqrt(v[1])};
}

const Kernels* Active = nullptr;

} // namespace

void StagesNarrow(double* re, double* im, const double* twRe, const double* twIm, std::size_t n) {
  Stages<Lanes2>(re, im, twRe, twIm, n);
}

double ModuliNarrow(double* re, const double* im, std::size_t count) {
  return Moduli<Lanes2, Sqrt2>(re, im, count);
}

double SpectrumNarrow(const SpectrumJob& job) {
  return StripedSpectrum<Lanes2, Sqrt2>(job);
}

void ScaleNarrow(double* values, std::size_t count, const Scaling& scaling) {
  ScaleValues<Lanes2, Sqrt2>(values, count, scaling);
}

std::span<const Kernels> UsableKernels() {
  static const std::vector<Kernels> usable = [] {
    std::vector<Kernels> kernels{
        {"two lanes", 2, StagesNarrow, ModuliNarrow, SpectrumNarrow, ScaleNarrow}};
#ifdef VELTRANO_X86_64_KERNELS
    if (__builtin_cpu_supports("avx"))
      kernels.push_back({"four lanes", 4, StagesWide, ModuliWide, SpectrumWide, ScaleWide});
    if (__builtin_cpu_supports("avx512f"))
      kernels.push_back(
          {"eight lanes", 8, StagesWidest, ModuliWidest, SpectrumWidest, ScaleWidest});
#endif
    return kernels;
  }();
  return usable;
}

const Kernels& ActiveKernels() {
  if (Active == nullptr) Active = &UsableKernels().back();
  return *Active;
}

void UseKernels(const Kernels& kernels) {
  Active = &kernels;
}
