// SPDX-License-Identifier: GPL-3.0-or-later
#include "spectrum/SpectrumLibrary.h"

#include <algorithm>
#include <bit>
#include <climits>
#include <cmath>
#include <cstddef>
#include <numbers>

#include "spectrum/Stages.h"

namespace {

std::vector<double> Window;

// Work arrays and the tables derived from their size; all sized for FFTCapacity
// points, grown when a larger N arrives and reused by every smaller one.
std::vector<double> FFTRe;
std::vector<double> FFTIm;
// Where the magnitudes go under a scale mode that writes no values.
std::vector<double> Unshown;
uint16_t FFTCapacity = 0;
// Twiddles of the span 2h at [h, 2h): the values the rotation recurrence takes in
// every group of that span. It restarts from (1, 0) for each group and so gives the
// same sequence each time; entry 0 is unused.
std::vector<double> TwiddleRe;
std::vector<double> TwiddleIm;
// Bit reversal of i over log2(FFTCapacity) bits; a smaller N shifts it down.
std::vector<uint16_t> Reversed;
// The taper for the last N without the window: (i 0.001)^4 rising to the middle,
// then (1.025 - 0.001 j)^4 falling, each by its running sum as it always was.
std::vector<double> Taper;

constexpr double TwoPi = 2.0 * std::numbers::pi;

double Fourth(double r) {
  const double r2 = r * r;
  return r2 * r2;
}

void FillTwiddles(std::size_t capacity) {
  TwiddleRe.assign(capacity, 0.0);
  TwiddleIm.assign(capacity, 0.0);
  for (std::size_t half = 1; 2 * half <= capacity; half *= 2) {
    const double theta = TwoPi / static_cast<double>(2 * half);
    const double s = std::sin(theta / 2.0);
    const double alpha = 2.0 * s * s;
    const double beta = std::sin(theta);
    double wr = 1.0;
    double wi = 0.0;
    for (std::size_t k = 0; k < half; ++k) {
      TwiddleRe[half + k] = wr;
      TwiddleIm[half + k] = wi;
      const double tmp = alpha * wr + beta * wi;
      wi = wi - (alpha * wi - beta * wr);
      wr = wr - tmp;
    }
  }
}

const double* TaperFor(std::size_t n) {
  if (Taper.size() == n) return Taper.data();
  Taper.resize(n);
  double r = 0.0;
  double q = 1.025;
  for (std::size_t i = 0; i < n; ++i)
    if (i <= n / 2) {
      Taper[i] = Fourth(r);
      r = r + 0.001;
    } else {
      Taper[i] = Fourth(q);
      q = q - 0.001;
    }
  return Taper.data();
}

void GrowFFT(uint16_t n) {
  FreeFFTBuffers();
  FFTRe.resize(n);
  FFTIm.resize(n);
  const auto bits = static_cast<uint16_t>(std::countr_zero(n));
  Reversed.resize(n);
  for (uint16_t i = 0; i < n; ++i)
    Reversed[i] = static_cast<uint16_t>(BitReverse(i, bits));
  FillTwiddles(n);
  FFTCapacity = n;
}

// Places the block in bit-reversed order, multiplied by the window table or the
// taper, and runs the first stage (span 2) on the way. Its twiddle is exactly (1, 0),
// so its butterflies reduce to a sum and a difference: the same numbers, at most a
// different sign on a zero, which no magnitude shows. With the window the imaginary
// parts stay zero; with the taper they equal the real parts.
void LoadFirstStage(std::size_t n, const int16_t* samples, const double* factors, bool bothParts) {
  double* re = FFTRe.data();
  double* im = FFTIm.data();
  if (n == 1) {
    re[0] = samples[0] * factors[0];
    im[0] = bothParts ? re[0] : 0.0;
    return;
  }
  // Even position p holds sample i = reverse(p) < n/2, position p + 1 holds i + n/2.
  const int shift = std::countr_zero(FFTCapacity) - std::countr_zero(n);
  const std::size_t middle = n / 2;
  const uint16_t* reversed = Reversed.data();
  for (std::size_t p = 0; p < n; p += 2) {
    const std::size_t i = reversed[p] >> shift;
    const double a = samples[i] * factors[i];
    const double b = samples[i + middle] * factors[i + middle];
    re[p] = a + b;
    re[p + 1] = a - b;
    im[p] = bothParts ? re[p] : 0.0;
    im[p + 1] = bothParts ? re[p + 1] : 0.0;
  }
}

// Radix-2 decimation in time with the twiddle turning by e^(+i 2pi/span), then the
// magnitudes of bins 0..n/2 into values; gives the largest. Butterflies of one stage
// are independent, so running them two to eight at a time, several stages per pass
// or in another order of memory leaves every result exactly as the stage-by-stage
// loop gives it.
double Transform(std::size_t n, const int16_t* samples, double* values, bool useWindow) {
  const Kernels& kernels = ActiveKernels();
  const double* factors = useWindow ? Window.data() : TaperFor(n);
  if (n >= 8 * kernels.Lanes)
    return kernels.Spectrum({samples, factors, !useWindow, Reversed.data(),
                             std::countr_zero(FFTCapacity), FFTRe.data(), FFTIm.data(),
                             TwiddleRe.data(), TwiddleIm.data(), n, values});
  LoadFirstStage(n, samples, factors, !useWindow);
  kernels.Stages(FFTRe.data(), FFTIm.data(), TwiddleRe.data(), TwiddleIm.data(), n);
  const double maximum = kernels.Moduli(FFTRe.data(), FFTIm.data(), n / 2 + 1);
  std::copy(FFTRe.begin(), FFTRe.begin() + static_cast<std::ptrdiff_t>(n / 2 + 1), values);
  return maximum;
}

// Scales the magnitudes in values in place, each as the plain expression in its
// comment gives it.
void Scale(std::size_t n, double* values, uint8_t mode, double gain, int32_t blockPeak,
           bool autoScale) {
  const std::size_t bins = n / 2 + 1;
  // The peak stays in double so that no BlockPeak overflows the sums below.
  const double peak = static_cast<double>(blockPeak);
  switch (mode) {
  case ScaleLog: {
    // log10(m / 2000 + 1) * 35000 / log10(peak + 2), or * gain * 1000.
    const double by = autoScale ? 35000.0 : gain;
    const double then = autoScale ? std::log10(peak + 2.0) : 1000.0;
    for (std::size_t k = 0; k < bins; ++k) {
      const double v = std::log10(values[k] / 2000.0 + 1.0) * by;
      values[k] = autoScale ? v / then : v * then;
    }
    break;
  }
  case ScaleSqrt:
    // sqrt(m) * 2000 / sqrt(peak + 1), or sqrt(m) * gain * 3.
    ActiveKernels().Scale(values, bins,
                          autoScale ? Scaling{true, 2000.0, std::sqrt(peak + 1.0), true}
                                    : Scaling{true, gain, 3.0, false});
    break;
  case ScaleLinear:
    // m * 120 / (peak + 1), or gain^2 * m / 2000.
    ActiveKernels().Scale(values, bins,
                          autoScale ? Scaling{false, 120.0, peak + 1.0, true}
                                    : Scaling{false, gain * gain, 2000.0, true});
    break;
  default:
    break;
  }
}

// Two sweeps interleaved step by step, each seeing what the other left: the upward
// one cuts a bin below its upper neighbour, the downward one a bin below its lower.
void PeakOnly(std::size_t n, double* values) {
  const std::size_t h = n / 2;
  if (h < 2) return;
  for (std::size_t t = 0; t + 2 <= h; ++t) {
    const std::size_t k = t + 1;
    if (values[k] > values[k - 1]) values[k - 1] = values[k - 1] / 100.0;
    const std::size_t j = h - 1 - t;
    if (values[j] > values[j + 1]) values[j + 1] = values[j + 1] / 100.0;
  }
}

bool WithinLimits(uint16_t n, uint16_t bits, bool useWindow) {
  return n != 0 && std::has_single_bit(n) && std::countr_zero(n) == bits &&
         (!useWindow || Window.size() >= n);
}

} // namespace

void BuildWindow(uint8_t WindowType, uint16_t Count) {
  Window.resize(Count);
  if (WindowType > WindowBlackmanNuttall) return;
  // One entry has no spread: it is the window's centre.
  const double last = Count > 1 ? static_cast<double>(Count - 1) : 1.0;
  const double offset = Count > 1 ? 0.5 : 0.0;
  for (std::size_t i = 0; i < Count; ++i) {
    const double x = static_cast<double>(i) / last - offset;
    double w = 1.0;
    switch (WindowType) {
    case WindowTriangular:
      w = 1.0 - 2.0 * std::fabs(x);
      break;
    case WindowHann:
      w = 0.5 + 0.5 * std::cos(TwoPi * x);
      break;
    case WindowHamming:
      w = 0.54 + 0.46 * std::cos(TwoPi * x);
      break;
    case WindowBlackmanNuttall:
      w = 0.3635819 + 0.4891775 * std::cos(TwoPi * x) + 0.1365995 * std::cos(2.0 * TwoPi * x) +
          0.0106411 * std::cos(3.0 * TwoPi * x);
      break;
    default:
      break;
    }
    Window[i] = w;
  }
}

int BitReverse(uint16_t Value, uint16_t Bits) {
  int result = 0;
  for (uint16_t b = 0; b < Bits; ++b) {
    result = 2 * result + (Value & 1);
    Value = static_cast<uint16_t>(Value >> 1);
  }
  return result;
}

void SpectrumFFT(uint16_t N, uint16_t Bits, const int16_t* Samples, double* Values,
                 uint16_t& PeakBin, uint8_t ScaleMode, double Gain, int32_t BlockPeak,
                 bool PeakFilter, bool AutoScale, bool UseWindow) {
  if (!WithinLimits(N, Bits, UseWindow)) return;
  if (N > FFTCapacity) GrowFFT(N);
  const std::size_t bins = N / 2 + 1;
  if (ScaleMode > ScaleRaw && Unshown.size() < bins) Unshown.resize(bins);
  double* magnitudes = ScaleMode > ScaleRaw ? Unshown.data() : Values;
  // The strongest bin is the first that holds the largest magnitude, left as it
  // was when every bin is 0.
  const double maximum = Transform(N, Samples, magnitudes, UseWindow);
  if (maximum > 0.0)
    PeakBin = static_cast<uint16_t>(std::find(magnitudes, magnitudes + bins, maximum) - magnitudes);
  Scale(N, Values, ScaleMode, Gain, BlockPeak, AutoScale);
  if (PeakFilter) PeakOnly(N, Values);
}

void FreeFFTBuffers() {
  if (FFTCapacity == 0) return;
  for (auto* table : {&FFTRe, &FFTIm, &Unshown, &TwiddleRe, &TwiddleIm, &Taper})
    std::vector<double>().swap(*table);
  std::vector<uint16_t>().swap(Reversed);
  FFTCapacity = 0;
}

const std::vector<double>& WindowTable() {
  return Window;
}

void LevelToColor(uint8_t& Red, uint8_t& Green, uint8_t& Blue, double Level) {
  double red = 0.0;
  double green = 0.0;
  double blue = 0.0;
  double brightness = 0.0;
  // Compared as a double first: a NaN or a level far out of range must not reach
  // the integer conversion.
  if (Level > -1.0 && Level < 32768.0) {
    const int t = static_cast<int>(Level);
    const double v = Level;
    if (t < 8000) {
      red = (8000.0 - v) / 8000.0;
      blue = 1.0;
    } else if (t < 14000) {
      green = (v - 8000.0) / 6000.0;
      blue = 1.0;
    } else if (t < 20000) {
      green = 1.0;
      blue = (20000.0 - v) / 6000.0;
    } else if (t < 24000) {
      red = (v - 20000.0) / 4000.0;
      green = 1.0;
    } else if (t < 32000) {
      red = 1.0;
      green = (32000.0 - v) / 8000.0;
    } else {
      red = 1.0;
    }
    brightness = t < 12000 ? 0.7 * v / 11999.0 + 0.3 : 1.0;
  }
  Red = static_cast<uint8_t>(ColorComponent(brightness, red));
  Green = static_cast<uint8_t>(ColorComponent(brightness, green));
  Blue = static_cast<uint8_t>(ColorComponent(brightness, blue));
}

int ColorComponent(double Brightness, double Weight) {
  if (Weight == 0.0) return 0;
  // nearbyint rounds ties to even in the default rounding mode.
  const double rounded = std::nearbyint(Weight * Brightness * 255.0);
  // Products out of range (never made by the colour map) saturate instead of
  // overflowing the conversion.
  if (std::isnan(rounded)) return 0;
  return static_cast<int>(
      std::clamp(rounded, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}
