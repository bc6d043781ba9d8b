#pragma once
// Short English texts for the result codes of the wave-audio service.

#include <cstdint>

// The text of a result code; only its low 16 bits take part. The text is a
// constant with static lifetime: callers copy it and never free it.
const char* MMErrorText(uint32_t code);
