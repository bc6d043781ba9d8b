#pragma once
// Extras of the wave-audio service on the sound server (CreateSoundServerAudio)
// beyond the WaveAudio interface.

#include <cstdint>

#include "platform/WaveAudio.h"

// Frames the server delivered to an open capture device of that service while
// it was recording with no buffer queued: input that was lost. Any thread;
// hwi must be open.
uint64_t DroppedCaptureFrames(HWAVEIN hwi);
