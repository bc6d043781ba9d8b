// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The latest captured block, de-interleaved.

#include <array>
#include <cstdint>

// Row 0 is the right channel, row 1 the left. Entries 0..2047 hold the block
// in time order; entry 2048 of each row stays 0, so a reader running past the
// end of row 0 meets that 0 and then the left channel.
struct SampleBlock {
  static constexpr int Frames = 2048;
  std::array<std::array<int16_t, Frames + 1>, 2> Rows{};
  int16_t* Right() { return Rows[0].data(); }
  int16_t* Left() { return Rows[1].data(); }
  const int16_t* Right() const { return Rows[0].data(); }
  const int16_t* Left() const { return Rows[1].data(); }
};
