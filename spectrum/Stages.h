#pragma once
// The FFT's butterfly stages from span 4 up, in place over re and im, with the
// twiddles of span 2h at [h, 2h). Internal to the spectrum library.

#include <cstddef>

// Two lanes: any x86-64 processor.
void StagesNarrow(double* re, double* im, const double* twRe, const double* twIm, std::size_t n);
// Four lanes: only where the processor has AVX.
void StagesWide(double* re, double* im, const double* twRe, const double* twIm, std::size_t n);
// Eight lanes: only where the processor has AVX-512.
void StagesWidest(double* re, double* im, const double* twRe, const double* twIm, std::size_t n);

// re[k] becomes the magnitude of bin k for k < count, with two, four or eight lanes.
void ModuliNarrow(double* re, const double* im, std::size_t count);
void ModuliWide(double* re, const double* im, std::size_t count);
void ModuliWidest(double* re, const double* im, std::size_t count);
