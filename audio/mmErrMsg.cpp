// SPDX-License-Identifier: GPL-3.0-or-later
#include "audio/mmErrMsg.h"

#include <algorithm>
#include <iterator>

namespace {

// Sorted by code. General results 0..11, wave 32..35, MIDI 64..69, timer 97
// and 129, joystick 165..167, file I/O 257..266.
constexpr MMErrorEntry Texts[] = {
    {0, "no error"},
    {1, "unspecified error"},
    {2, "device ID out of range"},
    {3, "driver failed enable"},
    {4, "device already allocated"},
    {5, "device handle is invalid"},
    {6, "no device driver present"},
    {7, " memory allocation error"},
    {8, "function isn't supported"},
    {9, "error value out of range"},
    {10, "invalid flag passed"},
    {11, "invalid parameter passed"},
    {32, "unsupported wave format"},
    {33, "still something playing"},
    {34, "header not prepared"},
    {35, "device is synchronous"},
    {64, "header not prepared"},
    {65, "still something playing"},
    {66, "no current map"},
    {67, "hardware is still busy"},
    {68, "port no longer connected"},
    {69, "invalid setup"},
    {97, "request not completed"},
    {129, "time struct size"},
    {165, "bad parameters"},
    {166, "request not completed"},
    {167, "joystick is unplugged"},
    {257, "file not found"},
    {258, "out of memory"},
    {259, "cannot open"},
    {260, "cannot close"},
    {261, "cannot read"},
    {262, "cannot write"},
    {263, "cannot seek"},
    {264, "cannot expand file"},
    {265, "chunk not found"},
    {266, "file is unbuffered"},
};

static_assert(std::is_sorted(std::begin(Texts), std::end(Texts),
                             [](const MMErrorEntry& A, const MMErrorEntry& B) {
                               return A.Code < B.Code;
                             }));

} // namespace

std::span<const MMErrorEntry> MMErrorTexts() {
  return Texts;
}

const char* MMErrorText(uint32_t code) {
  const auto Code = static_cast<uint16_t>(code);
  const auto* Found =
      std::lower_bound(std::begin(Texts), std::end(Texts), Code,
                       [](const MMErrorEntry& Entry, uint16_t C) { return Entry.Code < C; });
  if (Found != std::end(Texts) && Found->Code == Code) return Found->Text;
  return "invalid parameter passed to error translation routine!";
}
