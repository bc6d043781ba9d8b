// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Short English texts for the result codes of the wave-audio service.

#include <cstdint>
#include <span>

// A result code with a text of its own.
struct MMErrorEntry {
  uint16_t Code;
  const char* Text;
};

// Every such code, sorted by code: 37 rows.
std::span<const MMErrorEntry> MMErrorTexts();

// The text of a result code; only its low 16 bits take part. The text is a
// constant with static lifetime: callers copy it and never free it.
const char* MMErrorText(uint32_t code);
