// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The per-block arithmetic of the capture stream.

#include <cstdint>

#include "platform/Format.h"

#include "audio/SampleBlock.h"

struct ChannelPeaks {
  int32_t Left = 0;  // 0..32767
  int32_t Right = 0; // 0..32767
};

// Splits one 8192-byte buffer of interleaved samples (even index left, odd
// right) into the block's rows and returns each channel's largest magnitude.
// -32768 counts as 32767 so peaks stay within the meters' range.
ChannelPeaks SplitBlock(const char* data, SampleBlock& block);

// "R : -90.31 dB": the peak's level in dB below full scale, with the user's
// decimal separator.
CaptionText LevelReadout(char channel, int32_t peak);
