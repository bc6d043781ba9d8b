// SPDX-License-Identifier: GPL-3.0-or-later
// The path findings: each way the server's path changes the signal, in the
// words the title bar shows, and nothing for a transparent path: a stream of
// 16 bits at 48 kHz into a device of 32-bit float (24 bits kept) at 48 kHz.

#include <gtest/gtest.h>

#include "platform/SignalPath.h"

TEST(SignalPath, FindingsNameEachChangeOfTheSignal) {
  const struct {
    bool Input, StreamAtFull;
    double StreamPercent;
    bool StreamMuted, DeviceAtFull;
    double DevicePercent;
    bool DeviceMuted;
    uint32_t DeviceRate;
    int DeviceBits;
    const char* Expected; // the findings joined by "; "
  } cases[] = {
      // In, stream at full, %, muted; device at full, %, muted, rate, bits.
      {1, 1, 100, 0, 1, 100, 0, 48000, 24, ""},
      {1, 0, 50, 0, 1, 100, 0, 48000, 24, "input at 50 %"},
      // Just off unity keeps two decimals, so it never reads 100 %.
      {0, 0, 99.996, 0, 1, 100, 0, 48000, 24, "output at 100.00 %"},
      // Muted wins over the volume.
      {0, 0, 20, 1, 1, 100, 0, 48000, 24, "output muted"},
      {1, 1, 100, 0, 0, 151.4, 0, 48000, 24, "input device at 151 %"},
      {1, 1, 100, 0, 1, 100, 1, 48000, 24, "input device muted"},
      // A device at another rate is marked whether slower or faster; a format
      // as wide as the stream's is not.
      {1, 1, 100, 0, 1, 100, 0, 96000, 24, "input device at 96000 Hz"},
      {1, 1, 100, 0, 1, 100, 0, 44100, 16, "input device at 44100 Hz"},
      {0, 1, 100, 0, 1, 100, 0, 44100, 8, "output device at 44100 Hz; output device at 8 bits"},
      {1, 1, 100, 1, 1, 100, 1, 96000, 24,
       "input muted; input device muted; input device at 96000 Hz"},
  };
  for (const auto& c : cases) {
    const PathReading reading{
        c.Input,         c.StreamAtFull, c.StreamPercent, c.StreamMuted, c.DeviceAtFull,
        c.DevicePercent, c.DeviceMuted,  48000,           c.DeviceRate,  16,
        c.DeviceBits};
    std::string found;
    for (const std::string& finding : PathFindings(reading))
      found += (found.empty() ? "" : "; ") + finding;
    EXPECT_EQ(found, c.Expected);
  }
}
