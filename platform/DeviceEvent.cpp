#include "platform/WaveAudio.h"

QEvent::Type DeviceEventType(uint32_t message) {
  return static_cast<QEvent::Type>(QEvent::User + static_cast<int>(message));
}

DeviceEvent::DeviceEvent(uint32_t message, void* device, WAVEHDR* header, MMRESULT code)
    : QEvent(DeviceEventType(message)), Message(message), Device(device), Header(header),
      Code(code) {}
