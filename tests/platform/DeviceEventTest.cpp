// SPDX-License-Identifier: GPL-3.0-or-later
// Device notifications come from a fixed set of slots, with the heap standing
// in when every slot is taken.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/WaveAudio.h"

// Far more notifications alive at once than there are slots: each keeps its
// own fields, and freeing them in any order lets the slots serve again.
TEST(DeviceEvent, ManyAliveAtOnceKeepTheirFields) {
  for (int round = 0; round < 2; ++round) {
    std::vector<std::unique_ptr<QEvent>> events;
    for (uint32_t i = 0; i < 100; ++i)
      events.emplace_back(new DeviceEvent(0x3C0 + i % 4, nullptr, nullptr, i));
    for (size_t i = 0; i < events.size(); i += 2)
      events[i].reset();
    for (uint32_t i = 0; i < 100; i += 2)
      events[i].reset(new DeviceEvent(0x3C0, nullptr, nullptr, 1000 + i));
    for (uint32_t i = 0; i < 100; ++i) {
      const auto* event = static_cast<const DeviceEvent*>(events[i].get());
      EXPECT_EQ(event->Code, i % 2 == 0 ? 1000 + i : i);
      EXPECT_EQ(event->type(), DeviceEventType(event->Message));
    }
  }
}
