// What the title bar says about the signal path, from one reading: a device
// at another rate is marked whether it is slower or faster than the stream, a
// format that keeps every sample exactly is not.

#include <gtest/gtest.h>

#include "platform/SignalPath.h"

namespace {

PathReading Transparent(bool input) {
  PathReading r;
  r.Input = input;
  r.StreamRate = r.DeviceRate = 48000;
  r.StreamBits = 16;
  r.DeviceBits = 24;
  return r;
}

TEST(PathFindings, EachChangeOfThePathInWords) {
  const struct {
    void (*Change)(PathReading&);
    bool Input;
    std::vector<std::string> Findings;
  } cases[] = {
      {[](PathReading&) {}, true, {}},
      {[](PathReading& r) { r.DeviceRate = 96000; }, true, {"input device at 96000 Hz"}},
      {[](PathReading& r) { r.DeviceRate = 44100; }, false, {"output device at 44100 Hz"}},
      {[](PathReading& r) { r.DeviceBits = 8; }, false, {"output device at 8 bits"}},
      {[](PathReading& r) { r.DeviceBits = 16; }, true, {}},
      {[](PathReading& r) {
         r.StreamAtFull = false;
         r.StreamPercent = 99.996;
         r.DeviceMuted = true;
       },
       true,
       {"input at 100.00 %", "input device muted"}},
  };
  for (const auto& c : cases) {
    PathReading reading = Transparent(c.Input);
    c.Change(reading);
    EXPECT_EQ(PathFindings(reading), c.Findings);
  }
}

} // namespace
