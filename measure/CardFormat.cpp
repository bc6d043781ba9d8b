// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/CardFormat.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <random>

namespace measure {

namespace {

int Bytes(SampleFormat format) {
  return format == SampleFormat::S16 ? 2 : format == SampleFormat::S24 ? 3 : 4;
}

} // namespace

double FormatStep(SampleFormat format) {
  switch (format) {
  case SampleFormat::S16:
    return std::ldexp(1.0, -15);
  case SampleFormat::S24:
    return std::ldexp(1.0, -23);
  case SampleFormat::S32:
    return std::ldexp(1.0, -31);
  default:
    return std::ldexp(1.0, -24);
  }
}

const char* FormatName(SampleFormat format) {
  constexpr const char* Names[] = {"s16", "s24", "s32", "float32"};
  return Names[static_cast<int>(format)];
}

std::vector<double> Dither(std::span<const double> samples, SampleFormat format,
                           std::uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> half(-0.5, 0.5);
  const double step = FormatStep(format);
  // Integer formats stop one step short of +1; a float holds +1 itself.
  const double top = format == SampleFormat::Float32 ? 1.0 : 1.0 - step;
  std::vector<double> out(samples.size());
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double dithered = samples[i] / step + half(random) + half(random);
    const double value = std::clamp(std::nearbyint(dithered) * step, -1.0, top);
    out[i] = format == SampleFormat::Float32 ? double(float(value)) : value;
  }
  return out;
}

std::vector<std::uint8_t> Pack(std::span<const double> samples, SampleFormat format) {
  const int bytes = Bytes(format);
  std::vector<std::uint8_t> out(samples.size() * std::size_t(bytes));
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const std::uint32_t word = format == SampleFormat::Float32
                                   ? std::bit_cast<std::uint32_t>(float(samples[i]))
                                   : static_cast<std::uint32_t>(static_cast<std::int32_t>(
                                         std::llround(samples[i] / FormatStep(format))));
    for (int b = 0; b < bytes; ++b)
      out[i * std::size_t(bytes) + std::size_t(b)] = std::uint8_t(word >> (8 * b));
  }
  return out;
}

std::vector<double> Unpack(std::span<const std::uint8_t> bytes, SampleFormat format) {
  const int size = Bytes(format);
  std::vector<double> out(bytes.size() / std::size_t(size));
  for (std::size_t i = 0; i < out.size(); ++i) {
    std::uint32_t word = 0;
    for (int b = 0; b < size; ++b)
      word |= std::uint32_t(bytes[i * std::size_t(size) + std::size_t(b)]) << (8 * b);
    if (format == SampleFormat::Float32) {
      // A sample that is no number reads as silence, so that it cannot poison every figure.
      const float value = std::bit_cast<float>(word);
      out[i] = std::isfinite(value) ? value : 0.0;
      continue;
    }
    // Sign-extend from the format's width by shifting its top bit to bit 31.
    const int unused = 32 - 8 * size;
    const auto value = static_cast<std::int32_t>(word << unused) >> unused;
    out[i] = double(value) * FormatStep(format);
  }
  return out;
}

} // namespace measure
