// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wave format records as the sound server's sample specifications.

#include <pulse/sample.h>

#include "platform/WaveAudio.h"

// Translates a PCM format (8, 16, 24 or 32 bits, 1..32 channels, whole-frame
// block align and matching byte rate) into *sampleSpec. Anything the server cannot
// represent, or an inconsistent record, gives WAVERR_BADFORMAT.
MMRESULT SampleSpecFromFormat(const WAVEFORMATEX& format, pa_sample_spec* sampleSpec);

// The byte value of silence in the given sample format (0x80 for unsigned 8-bit).
unsigned char SilenceByte(pa_sample_format_t format);
