// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/ScaleCaption.h"

#include <cmath>
#include <cstdint>

CaptionText YScaleCaption(int position) {
  // The square is a 16-bit value: -181 gives 32761, full scale.
  const auto square = static_cast<int16_t>(position * position);
  return CaptionText().AppendFixed(20.0 * std::log10(square) - 90.309, 2, 1).Append(" dB");
}
