// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Watches what an open stream's path does to the signal: the stream's own
// volume and mute and its device's volume, mute, rate and format, read
// through the server's introspection each time the server reports a change
// of a stream or a device (no polling). A change of the findings is posted to
// the window as one PathEvent; a move to another device is told on stderr.

#include <string>
#include <vector>

#include <pulse/pulseaudio.h>

#include "platform/SignalPath.h"

class QObject;

// Created and destroyed with the mainloop lock held; its callbacks run on the
// audio thread.
class SoundServerPathWatch {
public:
  SoundServerPathWatch(pa_context* context, pa_stream* stream, bool capture, QObject* target);
  ~SoundServerPathWatch(); // cancels an inspection under way
  SoundServerPathWatch(const SoundServerPathWatch&) = delete;
  SoundServerPathWatch& operator=(const SoundServerPathWatch&) = delete;

  // A change the server reported (a subscription event); reads the path again.
  void OnServerEvent(pa_subscription_event_type_t type, uint32_t index);
  // Reads the stream, then its device; one reading at a time, a change that
  // arrives meanwhile reads again afterwards.
  void Inspect();

private:
  template <class Info> void TakeStream(const Info* info);
  template <class Info> void TakeDevice(const Info* info);
  void Finish();

  pa_context* context_;
  pa_stream* stream_;
  bool capture_;
  QObject* target_;
  pa_operation* pending_ = nullptr;
  bool again_ = false;
  PathReading reading_;
  uint32_t device_ = PA_INVALID_INDEX, nextDevice_ = PA_INVALID_INDEX;
  bool deviceRemoved_ = false;
  std::string deviceName_;
  std::vector<std::string> findings_;
  bool reported_ = false;
};
