// The path findings: each way the server's path changes the signal, in the
// words the title bar shows, and nothing for a transparent path.

#include <gtest/gtest.h>

#include "platform/SignalPath.h"

namespace {

using Findings = std::vector<std::string>;

PathReading Transparent(bool input) {
  PathReading r;
  r.Input = input;
  r.StreamRate = r.DeviceRate = 48000;
  r.StreamBits = 16;
  r.DeviceBits = 24; // 32-bit float holds every 16-bit sample
  return r;
}

TEST(SignalPath, FindingsNameEachChangeOfTheSignal) {
  const struct {
    const char* What;
    bool Input;
    void (*Change)(PathReading&);
    Findings Expected;
  } cases[] = {
      {"transparent", true, [](PathReading&) {}, {}},
      {"stream volume",
       true,
       [](PathReading& r) {
         r.StreamAtFull = false;
         r.StreamPercent = 50;
       },
       {"input at 50 %"}},
      // Just off unity keeps two decimals, so it never reads 100 %.
      {"near unity",
       false,
       [](PathReading& r) {
         r.StreamAtFull = false;
         r.StreamPercent = 99.996;
       },
       {"output at 100.00 %"}},
      // Muted wins over the volume.
      {"muted",
       false,
       [](PathReading& r) {
         r.StreamMuted = true;
         r.StreamAtFull = false;
         r.StreamPercent = 20;
       },
       {"output muted"}},
      {"device volume and mute",
       true,
       [](PathReading& r) {
         r.DeviceAtFull = false;
         r.DevicePercent = 151.4;
       },
       {"input device at 151 %"}},
      {"device muted", true, [](PathReading& r) { r.DeviceMuted = true; }, {"input device muted"}},
      {"rate and bits",
       false,
       [](PathReading& r) {
         r.DeviceRate = 44100;
         r.DeviceBits = 8;
       },
       {"output device at 44100 Hz", "output device at 8 bits"}},
      {"everything",
       true,
       [](PathReading& r) {
         r.StreamMuted = true;
         r.DeviceMuted = true;
         r.DeviceRate = 96000;
       },
       {"input muted", "input device muted", "input device at 96000 Hz"}},
  };
  for (const auto& c : cases) {
    PathReading reading = Transparent(c.Input);
    c.Change(reading);
    EXPECT_EQ(PathFindings(reading), c.Expected) << c.What;
  }
}

} // namespace
