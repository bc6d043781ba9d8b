// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/CaptureLevels.h"

#include <cmath>
#include <cstring>

ChannelPeaks SplitBlock(const char* data, SampleBlock& block) {
  ChannelPeaks peaks;
  int16_t* left = block.Left();
  int16_t* right = block.Right();
  for (int frame = 0; frame < SampleBlock::Frames; ++frame) {
    int16_t pair[2];
    std::memcpy(pair, data + frame * 4, sizeof pair);
    left[frame] = pair[0];
    right[frame] = pair[1];
    const int32_t l = pair[0] == INT16_MIN ? 32767 : std::abs(pair[0]);
    const int32_t r = pair[1] == INT16_MIN ? 32767 : std::abs(pair[1]);
    if (l > peaks.Left) peaks.Left = l;
    if (r > peaks.Right) peaks.Right = r;
  }
  return peaks;
}

CaptionText LevelReadout(char channel, int32_t peak) {
  const double v = -(90.309 - 20.0 * std::log10(peak + 1.0));
  return CaptionText().Append(channel).Append(" : ").AppendFixed(v, 2, 2).Append(" dB");
}
