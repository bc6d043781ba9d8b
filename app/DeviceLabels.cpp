// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DeviceLabels.h"

#include <algorithm>
#include <utility>

namespace {

const QString Ellipsis = QStringLiteral("\u2026");

} // namespace

QString ElideMiddle(const QString& text, int most) {
  if (text.size() <= most) return text;
  const qsizetype kept = std::max(most - 1, 0);
  const qsizetype head = (kept + 1) / 2;
  return text.left(head) + Ellipsis + text.right(kept - head);
}

std::vector<DeviceEntry> DeviceEntries(const std::vector<WaveAudio::Device>& devices) {
  std::vector<DeviceEntry> entries{{{},
                                    QStringLiteral("The server's default"),
                                    QStringLiteral("Whichever device the server uses by default")}};
  for (const WaveAudio::Device& device : devices) {
    const QString description = QString::fromStdString(device.Description);
    const QString name = QString::fromStdString(device.Name);
    const bool repeated =
        std::ranges::count(devices, device.Description, &WaveAudio::Device::Description) > 1;
    DeviceEntry entry{device.Name, ElideMiddle(description, DeviceLabelChars),
                      QStringLiteral("%1 (%2)").arg(description, name)};
    if (description.isEmpty()) {
      entry.Label = ElideMiddle(name, DeviceLabelChars);
      entry.ToolTip = name;
    } else if (repeated) {
      // The name gets a third of the room: its end tells devices apart.
      entry.Label =
          QStringLiteral("%1 (%2)").arg(ElideMiddle(description, DeviceLabelChars * 2 / 3 - 3),
                                        ElideMiddle(name, DeviceLabelChars / 3));
    }
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string CurrentDevice(const WaveAudio& audio, bool capture) {
  const std::string inUse = audio.DeviceInUse(capture);
  return inUse.empty() ? audio.ChosenDevice(capture) : inUse;
}
