// SPDX-License-Identifier: GPL-3.0-or-later
#include <array>
#include <atomic>
#include <functional>
#include <new>

#include "platform/WaveAudio.h"

namespace {

// More than the buffers both streams keep queued, with their open and close.
constexpr size_t SlotCount = 32;

struct alignas(DeviceEvent) Slot {
  unsigned char bytes[sizeof(DeviceEvent)];
};

std::array<Slot, SlotCount> Slots;
std::array<std::atomic<bool>, SlotCount> Taken{};

} // namespace

QEvent::Type DeviceEventType(uint32_t message) {
  return static_cast<QEvent::Type>(QEvent::User + static_cast<int>(message));
}

DeviceEvent::DeviceEvent(uint32_t message, void* device, WAVEHDR* header, MMRESULT code)
    : QEvent(DeviceEventType(message)), Message(message), Device(device), Header(header),
      Code(code) {}

void* DeviceEvent::operator new(std::size_t size) {
  if (size == sizeof(Slot)) {
    for (size_t i = 0; i < SlotCount; ++i) {
      bool expected = false;
      if (!Taken[i].load(std::memory_order_relaxed) &&
          Taken[i].compare_exchange_strong(expected, true, std::memory_order_acquire))
        return Slots[i].bytes;
    }
  }
  return ::operator new(size);
}

void DeviceEvent::operator delete(void* event, std::size_t size) noexcept {
  const std::less<const void*> before;
  if (!before(event, Slots.data()) && before(event, Slots.data() + SlotCount)) {
    const auto index = static_cast<size_t>(static_cast<Slot*>(event) - Slots.data());
    Taken[index].store(false, std::memory_order_release);
    return;
  }
  ::operator delete(event, size);
}

PathEvent::PathEvent(bool input, std::vector<std::string> findings)
    : QEvent(Type()), Input(input), Findings(std::move(findings)) {}

QEvent::Type PathEvent::Type() {
  static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
  return type;
}
