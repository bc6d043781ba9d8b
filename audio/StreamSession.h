// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One stream session: the input and the output a program drives through the
// wave-audio service - opened in one format, fed, drained, closed, and let go
// when the server is lost - for the window and for the measuring commands
// alike. The owner is the target of the devices' notifications and hands
// each DeviceEvent to Take, which tells what it is; a notification of a
// device the session no longer drives is Stale.
//
// GUI thread only.

#include <cstdint>
#include <span>

#include "platform/WaveAudio.h"

class QObject;

// The streams' format: integer PCM of 16, 24 or 32 bits, the channels and the
// rate. The window's blocks are 48000 Hz, 2 channels, 16 bits.
struct SessionFormat {
  uint32_t Rate = 48000;
  uint16_t Bits = 16;
  uint16_t Channels = 2;
  // Output kept waiting ahead of the speaker, in ms; 0: the window's quarter
  // second, in which a change is heard.
  uint32_t OutputHoldMs = 0;
  // The format record, with block align and byte rate worked out.
  WAVEFORMATEX Wave() const;
};

class StreamSession {
public:
  StreamSession(WaveAudio& audio, QObject* target, SessionFormat format = {});
  ~StreamSession(); // lets both devices go, silently
  StreamSession(const StreamSession&) = delete;
  StreamSession& operator=(const StreamSession&) = delete;

  const WAVEFORMATEX& Format() const { return format_; }

  // The input. Open opens the device; Start prepares and queues each buffer
  // (which then belong to the device) and starts it, and names the step that
  // failed in *step.
  MMRESULT OpenInput();
  MMRESULT StartInput(std::span<WAVEHDR* const> buffers, const char** step);
  // Hands a returned buffer to the device again.
  MMRESULT Requeue(WAVEHDR* buffer);
  // Stops the input: every queued buffer comes back (as its own notification,
  // stale) and then the close (InputClosed).
  void ReleaseInput();
  // Releases the input and waits, handling events, until its close was taken
  // or timeoutMs passed; true when it was. Afterwards the input is let go even
  // if its close never comes.
  bool CloseInput(int timeoutMs);
  HWAVEIN Input() const { return in_; }

  // The output. Write prepares a buffer the first time and queues it.
  MMRESULT OpenOutput();
  MMRESULT Write(WAVEHDR* buffer);
  MMRESULT Unprepare(WAVEHDR* buffer);
  // Stops the output at once; its buffers and then its close come back as
  // notifications of a released device.
  void ReleaseOutput();
  HWAVEOUT Output() const { return out_; }

  // Nothing open, nothing closing.
  bool Idle() const {
    return in_ == nullptr && inClosing_ == nullptr && out_ == nullptr && outReleased_ == nullptr;
  }

  // After a loss: one ServerBack follows once the server answers again.
  void AwaitServer();

  enum class Event {
    InputData,    // a filled buffer of the input
    InputClosed,  // the input's close: it is let go
    InputLost,    // the server lost the input
    OutputOpen,   // the output is open
    OutputDone,   // a buffer the output played
    OutputClosed, // the output's close: it is let go
    OutputLost,   // the server lost the output
    ServerBack,   // the server answers again
    Stale,        // of a device let go earlier: nothing to do
  };
  // What a notification means; a close or loss updates what the session
  // drives.
  Event Take(const DeviceEvent& event);

private:
  WaveAudio& audio_;
  QObject* target_;
  WAVEFORMATEX format_;
  uint32_t outputHoldMs_;
  HWAVEIN in_ = nullptr, inClosing_ = nullptr;
  HWAVEOUT out_ = nullptr, outReleased_ = nullptr;
};
