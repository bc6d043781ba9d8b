// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include "platform/WaveAudio.h"

// Both streams' format: PCM, 2 channels, 48000 frames per second, 16 bits.
// Block align and byte rate are worked out from those three.
void FillStreamFormat(WAVEFORMATEX& format);
