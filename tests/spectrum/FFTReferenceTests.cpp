// SPDX-License-Identifier: GPL-3.0-or-later
// Bit-identity with the routine as written step by step: bit reversal per sample,
// the taper's running factors, the twiddle recurrence advanced inside every group.
#include "TestSignals.h"
#include "spectrum/SpectrumLibrary.h"
#include "spectrum/Stages.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <span>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace spectrum_test;

void ReferenceFFT(uint16_t n, uint16_t bits, const int16_t* samples, double* values,
                  uint16_t& peakBin, uint8_t mode, double gain, int32_t blockPeak, bool peakFilter,
                  bool autoScale, bool useWindow) {
  std::vector<double> re(n), im(n);
  double r = 0.0, q = 1.025;
  for (uint16_t i = 0; i < n; ++i) {
    const int j = BitReverse(i, bits);
    if (useWindow) {
      re[j] = samples[i] * WindowTable()[i];
      im[j] = 0.0;
    } else {
      double t;
      if (i <= n / 2) {
        t = (r * r) * (r * r);
        r = r + 0.001;
      } else {
        t = (q * q) * (q * q);
        q = q - 0.001;
      }
      re[j] = t * samples[i];
      im[j] = t * samples[i];
    }
  }
  unsigned half = 1;
  for (unsigned span = 2; span <= n; span *= 2) {
    const double theta = 2.0 * std::numbers::pi / span;
    const double alpha = 2.0 * std::sin(theta / 2.0) * std::sin(theta / 2.0);
    const double beta = std::sin(theta);
    for (unsigned s = 0; s < n; s += span) {
      double wr = 1.0, wi = 0.0;
      for (unsigned k = 0; k < half; ++k) {
        const unsigned a = s + k, b = a + half;
        const double tr = wr * re[b] - wi * im[b];
        const double ti = wr * im[b] + wi * re[b];
        re[b] = re[a] - tr;
        im[b] = im[a] - ti;
        re[a] = re[a] + tr;
        im[a] = im[a] + ti;
        const double tmp = alpha * wr + beta * wi;
        wi = wi - (alpha * wi - beta * wr);
        wr = wr - tmp;
      }
    }
    half = span;
  }
  double maximum = 0.0;
  const double p = blockPeak;
  for (unsigned k = 0; k <= n / 2u; ++k) {
    const double m = std::sqrt(re[k] * re[k] + im[k] * im[k]);
    switch (mode) {
    case 0:
      values[k] = autoScale ? std::log10(m / 2000 + 1) * 35000 / std::log10(p + 2)
                            : std::log10(m / 2000 + 1) * gain * 1000;
      break;
    case 1:
      values[k] = autoScale ? std::sqrt(m) * 2000 / std::sqrt(p + 1) : std::sqrt(m) * gain * 3;
      break;
    case 2:
      values[k] = autoScale ? m * 120 / (p + 1) : gain * gain * m / 2000;
      break;
    case 3:
      values[k] = m;
      break;
    }
    if (m > maximum) {
      maximum = m;
      peakBin = static_cast<uint16_t>(k);
    }
  }
  const unsigned h = n / 2;
  if (!peakFilter || h < 2) return;
  for (unsigned t = 0; t <= h - 2; ++t) {
    const unsigned k = t + 1;
    if (values[k] > values[k - 1]) values[k - 1] = values[k - 1] / 100;
    const unsigned j = h - 1 - t;
    if (values[j] > values[j + 1]) values[j + 1] = values[j + 1] / 100;
  }
}

bool SameBits(const std::vector<double>& a, const std::vector<double>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0;
}

struct Outcome {
  std::vector<double> values;
  uint16_t peakBin;
};

Outcome Ours(uint16_t n, const std::vector<int16_t>& block, uint8_t mode, bool filter,
             bool autoScale, bool useWindow) {
  Outcome o{std::vector<double>(n / 2 + 1, 0.0), 0};
  SpectrumFFT(n, static_cast<uint16_t>(std::countr_zero(n)), block.data(), o.values.data(),
              o.peakBin, mode, 0.75, 12345, filter, autoScale, useWindow);
  return o;
}

// Every size, scale mode, filter and loading against the reference, with the
// kernels in use.
void ExpectReferenceBits(const char* kernels) {
  for (unsigned bits = 0; bits <= 15; ++bits) {
    const auto n = static_cast<uint16_t>(1u << bits);
    BuildWindow(WindowBlackmanNuttall, n);
    const auto block = Noise(n, bits);
    for (uint8_t mode = ScaleLog; mode <= ScaleRaw; ++mode)
      for (bool filter : {false, true})
        for (bool autoScale : {false, true})
          for (bool useWindow : {false, true}) {
            Outcome expected{std::vector<double>(n / 2 + 1, 0.0), 0};
            ReferenceFFT(n, static_cast<uint16_t>(bits), block.data(), expected.values.data(),
                         expected.peakBin, mode, 0.75, 12345, filter, autoScale, useWindow);
            const Outcome ours = Ours(n, block, mode, filter, autoScale, useWindow);
            ASSERT_TRUE(SameBits(ours.values, expected.values))
                << kernels << ", N " << n << " mode " << int(mode) << " filter " << filter
                << " auto " << autoScale << " window " << useWindow;
            ASSERT_EQ(ours.peakBin, expected.peakBin) << kernels;
          }
  }
}

// With every kernel width this processor runs: on x86-64 the portable two
// lanes, and AVX and AVX-512 where present; elsewhere the portable ones alone.
TEST(SpectrumFFTReference, BitIdenticalForEverySizeModeAndLoading) {
  const std::span<const Kernels> usable = UsableKernels();
#ifdef __x86_64__
  EXPECT_EQ(usable.size(), 1u + (__builtin_cpu_supports("avx") ? 1u : 0u) +
                               (__builtin_cpu_supports("avx512f") ? 1u : 0u));
#else
  EXPECT_EQ(usable.size(), 1u);
#endif
  EXPECT_EQ(&ActiveKernels(), &usable.back());
  for (const Kernels& kernels : usable) {
    UseKernels(kernels);
    ExpectReferenceBits(kernels.Name);
  }
  UseKernels(usable.back());
}

// Arrays grown for a larger N serve a smaller one exactly as fresh ones do.
TEST(SpectrumFFTReference, GrowingAndReleasingKeepsResults) {
  BuildWindow(WindowHamming, 2048);
  const auto block = Noise(2048, 11);
  FreeFFTBuffers();
  const Outcome fresh = Ours(256, block, ScaleRaw, false, false, false);
  const Outcome freshWindowed = Ours(256, block, ScaleRaw, false, false, true);
  Ours(2048, block, ScaleLog, true, true, true);
  EXPECT_TRUE(SameBits(Ours(256, block, ScaleRaw, false, false, false).values, fresh.values));
  EXPECT_TRUE(
      SameBits(Ours(256, block, ScaleRaw, false, false, true).values, freshWindowed.values));
  FreeFFTBuffers();
  FreeFFTBuffers();
  EXPECT_TRUE(SameBits(Ours(256, block, ScaleRaw, false, false, false).values, fresh.values));
}

} // namespace

// Every kernel width the processor runs gives the bits of the portable one.
TEST(SpectrumFFTReference, EveryKernelWidthGivesTheSameBits) {
  const std::span<const Kernels> usable = UsableKernels();
  for (const std::size_t n : {4u, 8u, 16u, 2048u}) {
    // The twiddles of span 2h at [h, 2h), from the rotation recurrence.
    std::vector<double> twRe(n), twIm(n);
    for (std::size_t h = 1; 2 * h <= n; h *= 2) {
      const double theta = std::numbers::pi / static_cast<double>(h);
      const double alpha = 2.0 * std::sin(theta / 2.0) * std::sin(theta / 2.0);
      const double beta = std::sin(theta);
      double wr = 1.0, wi = 0.0;
      for (std::size_t k = 0; k < h; ++k) {
        twRe[h + k] = wr, twIm[h + k] = wi;
        const double tmp = alpha * wr + beta * wi;
        wi = wi - (alpha * wi - beta * wr);
        wr = wr - tmp;
      }
    }
    const auto noise = Noise(static_cast<uint16_t>(2 * n), 7);
    std::vector<double> re0(n), im0(n);
    for (std::size_t i = 0; i < n; ++i)
      re0[i] = noise[i] * 0.37, im0[i] = noise[n + i] * 1.91;
    std::vector<double> re = re0, im = im0;
    usable.front().Stages(re.data(), im.data(), twRe.data(), twIm.data(), n);
    const double largest = usable.front().Moduli(re.data(), im.data(), n);
    EXPECT_EQ(largest, *std::max_element(re.begin(), re.end()));
    for (const Kernels& width : usable.subspan(1)) {
      std::vector<double> r = re0, i = im0;
      width.Stages(r.data(), i.data(), twRe.data(), twIm.data(), n);
      EXPECT_EQ(width.Moduli(r.data(), i.data(), n), largest) << width.Name << ", N " << n;
      EXPECT_TRUE(SameBits(r, re)) << width.Name << ", N " << n;
    }
  }
}
