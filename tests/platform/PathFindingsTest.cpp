// The title bar's words for the signal path: a device at another rate is
// marked whether it is slower or faster than the stream; a wider format is not.

#include <gtest/gtest.h>

#include "platform/SignalPath.h"

TEST(PathFindings, ADeviceAtAnotherRateOrNarrowerFormat) {
  const struct {
    uint32_t Rate;
    int Bits;
    std::vector<std::string> Findings;
  } cases[] = {{48000, 24, {}},
               {96000, 24, {"input device at 96000 Hz"}},
               {44100, 16, {"input device at 44100 Hz"}},
               {48000, 8, {"input device at 8 bits"}}};
  for (const auto& c : cases) {
    PathReading reading;
    reading.StreamRate = 48000;
    reading.StreamBits = 16;
    reading.DeviceRate = c.Rate;
    reading.DeviceBits = c.Bits;
    EXPECT_EQ(PathFindings(reading), c.Findings) << c.Rate << " Hz, " << c.Bits << " bits";
  }
}
