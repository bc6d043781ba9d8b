// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/SpectrogramDrawing.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "spectrum/SpectrumLibrary.h"
#include "views/Geometry.h"

namespace {

// Bin k of the chosen channels: one channel's value, or the mean of both.
double Bin(const SpectrumState& spectrum, ChannelChoice channels, int k) {
  const auto index = static_cast<size_t>(k);
  if (channels.Right && channels.Left)
    return (spectrum.SpectrumR[index] + spectrum.SpectrumL[index]) / 2;
  return channels.Left ? spectrum.SpectrumL[index] : spectrum.SpectrumR[index];
}

} // namespace

double ColumnLevel(const SpectrumState& spectrum, ChannelChoice channels, SpectrogramRange range,
                   int index) {
  if (index < 1 || index > Geometry::ColumnHeight) return 0;
  switch (range) {
  case SpectrogramRange::Full:
    // Bins 1..1025 over 512 rows: the strongest of three neighbours (bin 1025
    // is always 0).
    return std::max({Bin(spectrum, channels, 2 * index - 1), Bin(spectrum, channels, 2 * index),
                     Bin(spectrum, channels, 2 * index + 1)});
  case SpectrogramRange::Half:
    return Bin(spectrum, channels, index);
  case SpectrogramRange::Quarter:
    return Bin(spectrum, channels, index / 2);
  }
  return 0;
}

TColor LevelColor(double level, bool colour) {
  if (colour) {
    uint8_t red, green, blue;
    LevelToColor(red, green, blue, std::min(level, 32767.0));
    return RGBColor(red, green, blue);
  }
  // Levels below 0 (a negative sensitivity from a damaged settings file) or
  // NaN are black rather than an undefined conversion.
  const double grey = std::min(level / 128, 255.0);
  const auto g = grey > 0 ? static_cast<uint8_t>(std::nearbyint(grey)) : uint8_t{0};
  return RGBColor(g, g, g);
}

void PaintColumn(Bitmap& column, const SpectrumState& spectrum, ChannelChoice channels,
                 SpectrogramRange range, bool colour) {
  constexpr int rows = Geometry::ColumnHeight;
  std::array<TColor, rows> colours;
  for (int index = 1; index <= rows; ++index)
    colours[static_cast<size_t>(rows - index)] =
        LevelColor(ColumnLevel(spectrum, channels, range, index), colour);
  column.SetColumn(0, 0, colours.data(), rows);
}
