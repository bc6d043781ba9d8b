// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sample formats the card report plays and records, and the step from the
// double-precision signals to one of them: TPDF dither of one step peak either
// side, then rounding, then clipping at full scale. Full scale is 1.0 here.

#include <cstdint>
#include <span>
#include <vector>

namespace measure {

enum class SampleFormat { S16, S24, S32, Float32 };

// The format's smallest step against full scale: 2^-15, 2^-23, 2^-31, and for
// float32 the step of its 24-bit mantissa just below full scale, 2^-24.
double FormatStep(SampleFormat format);

// The name the command line and the report use: "s16", "s24", "s32", "float32".
const char* FormatName(SampleFormat format);

// The samples dithered and rounded onto the format's grid; the same seed gives
// the same dither. Values beyond full scale are clipped.
std::vector<double> Dither(std::span<const double> samples, SampleFormat format,
                           std::uint64_t seed = 1);

// Little-endian bytes as the sound server takes them (s24 packed in three
// bytes), from samples already on the format's grid, and back; a float that is
// not finite comes back as 0.
std::vector<std::uint8_t> Pack(std::span<const double> samples, SampleFormat format);
std::vector<double> Unpack(std::span<const std::uint8_t> bytes, SampleFormat format);

} // namespace measure
