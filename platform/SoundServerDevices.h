// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The sound server's devices by name, for a choice made before any window
// exists (the command line): a short connection of its own, on the calling
// thread, that gives up after about two seconds.

#include <string>
#include <vector>

#include "platform/WaveAudio.h"

// Name as the server names it (pactl list short sources|sinks), description
// as a mixer shows it.
using SoundDevice = WaveAudio::Device;

// The server's sources (capture) or sinks into *devices; false, with the
// reason in *error, when the server cannot be asked.
bool ListSoundDevices(bool capture, std::vector<SoundDevice>* devices, std::string* error);

// Whether the server has a source (capture) or sink of that name, as an exit
// status: 0 it has; 2 it has not, and *message lists the names there are; 1
// the server cannot be asked, and *message says so.
int CheckSoundDevice(bool capture, const std::string& name, std::string* message);
