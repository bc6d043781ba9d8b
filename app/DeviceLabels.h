// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the devices are named in the LED meters' menu and the "Devices" dialog:
// by the server's descriptions, with the device's own name beside a
// description that repeats, a long text shortened in its middle, and the
// full text as the tooltip. No widgets.

#include <string>
#include <vector>

#include <QString>

#include "platform/WaveAudio.h"

// Longest label in characters: wider entries would make a menu as wide as the screen.
inline constexpr int DeviceLabelChars = 60;

struct DeviceEntry {
  std::string Name; // the server's name; empty for the server's default
  QString Label;    // plain text: a menu doubles its '&'
  QString ToolTip;
};

// "The server's default" first, then the devices in the server's order.
std::vector<DeviceEntry> DeviceEntries(const std::vector<WaveAudio::Device>& devices);

// text shortened to at most `most` characters by an ellipsis in its middle.
QString ElideMiddle(const QString& text, int most);

// The device a side's stream is on now, else the one chosen for it (empty:
// the server's default).
std::string CurrentDevice(const WaveAudio& audio, bool capture);
