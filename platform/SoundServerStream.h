// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the capture and playback streams on the sound server share: the
// connection to the server, the queue of buffers the device owns, the
// notifications and the report of a lost server.

#include <memory>
#include <string>

#include <pulse/pulseaudio.h>

#include "platform/SoundServerConnection.h"
#include "platform/SoundServerPathWatch.h"
#include "platform/WaveAudio.h"

// One open device. Created and destroyed on the GUI thread; its callbacks run
// on the audio thread. Members marked "guarded" are only touched with the
// mainloop lock held.
class SoundServerStream {
public:
  // The messages this kind of stream sends for a returned buffer, its close
  // and a lost server.
  struct Messages {
    uint32_t done;
    uint32_t close;
    uint32_t lost;
  };

  SoundServerStream(SoundServerConnection& link, QObject* target, Messages messages);
  virtual ~SoundServerStream(); // lock held: detaches from the server silently
  SoundServerStream(const SoundServerStream&) = delete;
  SoundServerStream& operator=(const SoundServerStream&) = delete;

  // Lock held: connects to the device named `device` (if it is there) or else
  // the server's default with the given sampleSpec, and waits until the stream
  // is ready or the deadline passes. *fellBack tells that the named one was
  // not there.
  MMRESULT Open(const pa_sample_spec& sampleSpec, const std::string& device,
                SoundServerDeadline deadline, bool* fellBack);
  // Lock held: moves the open stream to the named device, or to the server's
  // default when the name is empty.
  void MoveTo(const std::string& device, SoundServerDeadline deadline);

  // Lock held: the device the stream is on now (the server tells a move);
  // empty before it is ready and once it is lost.
  std::string DeviceName() const;

  // Lock held: the server went away or the stream failed after the open.
  bool Lost() const { return lost_; }
  // Lock held: no buffer is queued.
  bool Idle() const { return head_ == nullptr; }
  // Lock held: queues a header behind the others (it now belongs to the device).
  void Enqueue(WAVEHDR* header);
  // Lock held: hands every queued header back, each with its own notification,
  // in queue order.
  void ReturnAll();

  // Posts a notification to the target, if there is one (any thread).
  void Post(uint32_t message, WAVEHDR* header, MMRESULT code = MMSYSERR_NOERROR,
            uint32_t lostFrames = 0, bool gap = false);

  const pa_sample_spec& SampleSpec() const { return sampleSpec_; }
  // The handle the owner knows this device by: a number no other open of the
  // service is given, so that a notification of a closed device never passes
  // for one of a later device.
  void* Handle() const { return handle_; }
  void SetHandle(void* handle) { handle_ = handle; }

protected:
  virtual bool Capture() const = 0;
  // Lock held, on the new stream before it connects: callbacks and connect.
  virtual int Connect(pa_stream* stream, const char* device) = 0;
  // Lock held: the server went away; stop counting or feeding.
  virtual void OnLost() {}

  // Lock held: unlinks and returns the oldest queued header, or null.
  WAVEHDR* Dequeue();
  WAVEHDR* Head() const { return head_; }
  // Lock held: marks a header the device is done with and hands it back,
  // with the input lost just before it and whether its span holds a gap.
  void Finish(WAVEHDR* header, uint32_t lostFrames = 0, bool gap = false);

  SoundServerConnection& link_;
  pa_stream* stream_ = nullptr;

private:
  static void OnState(pa_stream* stream, void* userdata);
  void Detach();
  bool MakeTransparent(SoundServerDeadline deadline);

  QObject* target_;
  Messages messages_;
  void* handle_ = nullptr;
  pa_context* context_ = nullptr;               // own reference, kept until the stream closes
  std::unique_ptr<SoundServerPathWatch> watch_; // from the open to the close
  pa_sample_spec sampleSpec_{};
  WAVEHDR* head_ = nullptr; // guarded; linked through lpNext
  WAVEHDR* tail_ = nullptr; // guarded
  bool ready_ = false;      // guarded: the open finished; later failures are losses
  bool lost_ = false;       // guarded
};
