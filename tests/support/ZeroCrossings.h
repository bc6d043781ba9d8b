// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Counting a tone's zero crossings in test signals.

#include <cstddef>
#include <cstdint>
#include <span>

// The sign changes among samples[first], samples[first + step], ..., zeros
// skipped: about twice the tone's frequency times its duration. Step 2 with
// first 0 or 1 counts the left or right channel of interleaved stereo.
inline int ZeroCrossings(std::span<const int16_t> samples, size_t first = 0, size_t step = 1) {
  int crossings = 0, lastSign = 0;
  for (size_t n = first; n < samples.size(); n += step) {
    const int sign = (samples[n] > 0) - (samples[n] < 0);
    if (sign != 0 && lastSign != 0 && sign != lastSign) ++crossings;
    if (sign != 0) lastSign = sign;
  }
  return crossings;
}
