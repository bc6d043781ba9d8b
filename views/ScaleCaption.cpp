#include "views/ScaleCaption.h"

#include <cmath>
#include <cstdint>

#include "platform/Format.h"

QString YScaleCaption(int position) {
  // The square is a 16-bit value: -181 gives 32761, full scale.
  const auto square = static_cast<int16_t>(position * position);
  return FormatFloat("%2.1f", 20.0 * std::log10(square) - 90.309) + QStringLiteral(" dB");
}
