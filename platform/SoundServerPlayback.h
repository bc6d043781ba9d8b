// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The playback stream on the sound server: hands the queued buffers to the
// server in order, gaplessly, and each back once the server has all of it.

#include "platform/SoundServerStream.h"

class SoundServerPlayback final : public SoundServerStream {
public:
  SoundServerPlayback(SoundServerConnection& link, QObject* target);

  // Before the open: ms of output the server holds ahead of the speaker; 0:
  // six blocks.
  void Hold(uint32_t ms) { holdMs_ = ms; }
  // Lock held: queues a header and gives the server what it asks for.
  void Write(WAVEHDR* header);
  // Lock held: drops what the server still holds and returns every buffer.
  void Reset();

protected:
  bool Capture() const override { return false; }
  int Connect(pa_stream* stream, const char* device) override;

private:
  static void OnWritable(pa_stream* stream, size_t bytes, void* userdata);
  void Feed();

  uint32_t holdMs_ = 0;
};
