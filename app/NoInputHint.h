#pragma once
// The terminal's twin of the start-up warning: when the input cannot be
// opened at all, one line on stderr names --loopback, so that a user without a
// sound server finds it.

#include <memory>

#include "platform/WaveAudio.h"

// audio, with that line added whenever the query whether the input can be
// recorded at all fails; everything else passes through unchanged.
std::unique_ptr<WaveAudio> WithNoInputHint(std::unique_ptr<WaveAudio> audio);
