// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/FrequencyMath.h"

std::optional<double> InterpolatedFrequency(std::span<const double> values, int bin) {
  if (bin <= 0 || static_cast<std::size_t>(bin) + 1 >= values.size()) return std::nullopt;
  const double a = values[static_cast<std::size_t>(bin) - 1];
  const double b = values[static_cast<std::size_t>(bin) + 1];
  if (a == 0.0 || b == 0.0) return std::nullopt;
  const double r1 = b / a, r2 = a / b;
  if (r1 == 0.0 || r2 == 0.0) return std::nullopt;
  // 11.7187 is half a bin cut after four decimals: equal neighbours read the
  // bin centre plus 0.00005 Hz.
  if (a < b) return (bin + 1 - (r2 / r1) / 2) * BinWidthHz - 11.7187;
  return (bin + (r1 / r2) / 2) * BinWidthHz - 11.7187;
}

CaptionText FrequencyCaption(char channel, double hz) {
  return CaptionText()
      .Append(channel == 'L' ? "LFrq : " : "RFrq : ")
      .AppendFixed(hz, 2, 0)
      .Append(" Hz");
}

int BinAtColumn(int column, bool lowFrqTrace) {
  // Bin k lies in column 5k: a column takes the nearest.
  return lowFrqTrace ? (column + 2) / 5 : column;
}
