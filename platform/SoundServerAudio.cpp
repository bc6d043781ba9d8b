// SPDX-License-Identifier: GPL-3.0-or-later
// The wave-audio service on the sound server's asynchronous API. Calls come
// from the GUI thread and take the audio thread's lock for the few moments they
// touch shared state; notifications are posted from the audio thread.
//
// Destroying the service with devices still open detaches them silently: no
// further notification is posted and their handles become invalid. Owners
// that want every buffer and the close reported reset and close first.

#include "platform/WaveAudio.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/PrintableText.h"
#include "platform/SoundServerCapture.h"
#include "platform/SoundServerDevices.h"
#include "platform/SoundServerFormat.h"
#include "platform/SoundServerPlayback.h"

namespace {

constexpr uint32_t kCallbackTypeMask = 0x00070000;

template <class Stream, class Handle>
Stream* Find(const std::vector<std::unique_ptr<Stream>>& streams, Handle handle) {
  for (const auto& stream : streams)
    if (stream->Handle() == handle) return stream.get();
  return nullptr;
}

MMRESULT CheckHeader(const WAVEHDR* header) {
  if (header == nullptr || header->lpData == nullptr || header->dwBufferLength == 0)
    return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & WHDR_PREPARED) == 0) return WAVERR_UNPREPARED;
  if ((header->dwFlags & WHDR_INQUEUE) != 0) return WAVERR_STILLPLAYING;
  return MMSYSERR_NOERROR;
}

MMRESULT Prepare(WAVEHDR* header) {
  if (header == nullptr) return MMSYSERR_INVALPARAM;
  if ((header->dwFlags & WHDR_INQUEUE) != 0) return WAVERR_STILLPLAYING;
  header->dwFlags |= WHDR_PREPARED;
  return MMSYSERR_NOERROR;
}

class SoundServerAudio final : public WaveAudio {
public:
  explicit SoundServerAudio(const char* appName) : link_(appName) {}

  ~SoundServerAudio() override {
    if (!link_.Running()) return;
    SoundServerLock lock(link_.Loop());
    captures_.clear();
    playbacks_.clear();
  }

  SoundServerAudio(const SoundServerAudio&) = delete;
  SoundServerAudio& operator=(const SoundServerAudio&) = delete;

  MMRESULT WaveInOpen(HWAVEIN* phwi, uint32_t deviceId, const WAVEFORMATEX* format, QObject* target,
                      uintptr_t, uint32_t flags) override {
    return Open(deviceId, format, target, flags, phwi, captures_, MM_WIM_OPEN);
  }

  MMRESULT WaveInPrepareHeader(HWAVEIN hwi, WAVEHDR* header, uint32_t) override {
    return OnDevice(captures_, hwi, Guard::None,
                    [&](SoundServerCapture&) { return Prepare(header); });
  }

  MMRESULT WaveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, uint32_t) override {
    return OnDevice(
        captures_, hwi, Guard::LiveDevice, [&](SoundServerCapture&) { return CheckHeader(header); },
        [&](SoundServerCapture& stream) {
          header->dwBytesRecorded = 0;
          stream.Enqueue(header);
          // Input the server held meanwhile goes into it at once.
          stream.Fill();
          return MMSYSERR_NOERROR;
        });
  }

  MMRESULT WaveInStart(HWAVEIN hwi) override {
    return OnDevice(captures_, hwi, Guard::LiveDevice, [](SoundServerCapture& stream) {
      stream.Start();
      return MMSYSERR_NOERROR;
    });
  }

  MMRESULT WaveInReset(HWAVEIN hwi) override { return Reset(captures_, hwi); }

  MMRESULT WaveInClose(HWAVEIN hwi) override { return Close(captures_, hwi, MM_WIM_CLOSE); }

  MMRESULT WaveOutOpen(HWAVEOUT* phwo, uint32_t deviceId, const WAVEFORMATEX* format,
                       QObject* target, uintptr_t, uint32_t flags) override {
    return Open(deviceId, format, target, flags, phwo, playbacks_, MM_WOM_OPEN);
  }

  MMRESULT WaveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t) override {
    return OnDevice(playbacks_, hwo, Guard::None,
                    [&](SoundServerPlayback&) { return Prepare(header); });
  }

  MMRESULT WaveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t) override {
    return OnDevice(playbacks_, hwo, Guard::None, [&](SoundServerPlayback&) {
      if (header == nullptr) return MMSYSERR_INVALPARAM;
      if ((header->dwFlags & WHDR_INQUEUE) != 0) return WAVERR_STILLPLAYING;
      header->dwFlags &= ~WHDR_PREPARED;
      return MMSYSERR_NOERROR;
    });
  }

  MMRESULT WaveOutWrite(HWAVEOUT hwo, WAVEHDR* header, uint32_t) override {
    return OnDevice(
        playbacks_, hwo, Guard::LiveDevice,
        [&](SoundServerPlayback& stream) {
          if (const MMRESULT code = CheckHeader(header)) return code;
          if (header->dwBufferLength % pa_frame_size(&stream.SampleSpec()) != 0)
            return MMSYSERR_INVALPARAM;
          return MMSYSERR_NOERROR;
        },
        [&](SoundServerPlayback& stream) {
          stream.Write(header);
          return MMSYSERR_NOERROR;
        });
  }

  MMRESULT WaveOutReset(HWAVEOUT hwo) override { return Reset(playbacks_, hwo); }

  MMRESULT WaveOutClose(HWAVEOUT hwo) override { return Close(playbacks_, hwo, MM_WOM_CLOSE); }

  std::vector<Device> Devices(bool capture) override {
    std::vector<Device> devices;
    std::string error;
    ListSoundDevices(capture, &devices, &error);
    return devices;
  }

  void ChooseDevice(bool capture, const std::string& name) override {
    chosen_[capture] = name;
    told_[capture] = false;
    if (!link_.Running()) return;
    const SoundServerDeadline deadline = SoundServerDeadlineFromNow(kSoundServerTimeout);
    SoundServerLock lock(link_.Loop());
    if (capture)
      for (const auto& stream : captures_)
        stream->MoveTo(name, deadline);
    else
      for (const auto& stream : playbacks_)
        stream->MoveTo(name, deadline);
  }

  std::string ChosenDevice(bool capture) const override { return chosen_[capture]; }

  std::string DeviceInUse(bool capture) const override {
    if (!link_.Running()) return {};
    SoundServerLock lock(link_.Loop());
    if (capture) return captures_.empty() ? std::string() : captures_.front()->DeviceName();
    return playbacks_.empty() ? std::string() : playbacks_.front()->DeviceName();
  }
  void HoldOutput(uint32_t ms) override { holdMs_ = ms; }

  void AwaitServer(QObject* target) override {
    if (!link_.Running()) return;
    SoundServerLock lock(link_.Loop());
    link_.AwaitServer(target);
  }

private:
  // What a call on an open device needs around its action: nothing more than
  // the handle, the audio thread's lock, or the lock and a device the server
  // has not lost.
  enum class Guard { None, Lock, LiveDevice };

  // The start of every call on an open device, in this order: an unknown
  // handle gives MMSYSERR_INVALHANDLE; check(stream) may refuse the call;
  // with Guard::LiveDevice a device the server lost gives MMSYSERR_BADDEVICEID;
  // then action(stream) gives the result. Check and action run under the
  // lock when the guard takes one.
  template <class Stream, class Handle, class Check, class Action>
  MMRESULT OnDevice(const std::vector<std::unique_ptr<Stream>>& streams, Handle handle, Guard guard,
                    Check check, Action action) {
    Stream* stream = Find(streams, handle);
    if (stream == nullptr) return MMSYSERR_INVALHANDLE;
    std::optional<SoundServerLock> lock;
    if (guard != Guard::None) lock.emplace(link_.Loop());
    if (const MMRESULT code = check(*stream)) return code;
    if (guard == Guard::LiveDevice && stream->Lost()) return MMSYSERR_BADDEVICEID;
    return action(*stream);
  }

  template <class Stream, class Handle, class Action>
  MMRESULT OnDevice(const std::vector<std::unique_ptr<Stream>>& streams, Handle handle, Guard guard,
                    Action action) {
    return OnDevice(
        streams, handle, guard, [](Stream&) { return MMSYSERR_NOERROR; }, action);
  }

  // A format query: can the source (capture) or sink a stream would go to -
  // the chosen one, else the server's default - take the format at all
  // (mapped), or does that device itself offer it. The server converts, so
  // the device offers whatever it can take.
  MMRESULT Query(bool capture, bool mapped) {
    const SoundServerDeadline deadline = SoundServerDeadlineFromNow(kSoundServerTimeout);
    SoundServerLock lock(link_.Loop());
    pa_context* context = nullptr;
    MMRESULT code = link_.Connect(deadline, &context);
    if (code != MMSYSERR_NOERROR) return code;
    std::string device;
    bool fellBack = false;
    code = link_.PickDevice(context, capture, chosen_[capture], deadline, &device, &fellBack);
    if (code != MMSYSERR_NOERROR || mapped) return code;
    return link_.CheckDevice(context, capture, device, deadline);
  }

  // Opens a device, or answers a format query; an opened device's handle goes
  // to *handle and its open is reported.
  template <class Stream, class Handle>
  MMRESULT Open(uint32_t deviceId, const WAVEFORMATEX* format, QObject* target, uint32_t flags,
                Handle* handle, std::vector<std::unique_ptr<Stream>>& streams,
                uint32_t openMessage) {
    if (deviceId != 0) return MMSYSERR_BADDEVICEID;
    if (format == nullptr) return MMSYSERR_INVALPARAM;
    pa_sample_spec sampleSpec;
    if (const MMRESULT code = SampleSpecFromFormat(*format, &sampleSpec)) return code;
    if (!link_.Running()) return MMSYSERR_NOMEM;
    constexpr bool capture = std::is_same_v<Stream, SoundServerCapture>;
    if ((flags & WAVE_FORMAT_QUERY) != 0) return Query(capture, (flags & WAVE_MAPPED) != 0);

    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    const uint32_t callback = flags & kCallbackTypeMask;
    if (callback != 0 && callback != CALLBACK_WINDOW) return MMSYSERR_INVALPARAM;
    if (callback == CALLBACK_WINDOW && target == nullptr) return MMSYSERR_INVALPARAM;
    std::unique_ptr<Stream> stream(
        new (std::nothrow) Stream(link_, callback == CALLBACK_WINDOW ? target : nullptr));
    if (stream == nullptr) return MMSYSERR_NOMEM;
    if constexpr (!capture) stream->Hold(holdMs_);
    // Handles count up from 1 and are never given twice.
    stream->SetHandle(reinterpret_cast<void*>(++opens_));

    const SoundServerDeadline deadline = SoundServerDeadlineFromNow(kSoundServerTimeout);
    SoundServerLock lock(link_.Loop());
    bool fellBack = false;
    const MMRESULT code = stream->Open(sampleSpec, chosen_[capture], deadline, &fellBack);
    if (fellBack && !std::exchange(told_[capture], true))
      std::fprintf(stderr, "veltrano: the %s '%s' is not there; the server's default is used\n",
                   capture ? "source" : "sink", TerminalText(chosen_[capture]).c_str());
    if (code != MMSYSERR_NOERROR) {
      stream.reset();
      return code;
    }
    *handle = static_cast<Handle>(stream->Handle());
    stream->Post(openMessage, nullptr);
    streams.push_back(std::move(stream));
    return MMSYSERR_NOERROR;
  }

  // Every queued buffer comes back, each with its own notification.
  template <class Stream, class Handle>
  MMRESULT Reset(const std::vector<std::unique_ptr<Stream>>& streams, Handle handle) {
    return OnDevice(streams, handle, Guard::Lock, [](Stream& stream) {
      stream.Reset();
      return MMSYSERR_NOERROR;
    });
  }

  // The close notification is posted with the lock held and the device then
  // detached, so no buffer notification of the device can follow it.
  template <class Stream, class Handle>
  MMRESULT Close(std::vector<std::unique_ptr<Stream>>& streams, Handle handle, uint32_t message) {
    return OnDevice(streams, handle, Guard::Lock, [&](Stream& stream) {
      if (!stream.Idle()) return WAVERR_STILLPLAYING;
      stream.Post(message, nullptr);
      streams.erase(std::find_if(streams.begin(), streams.end(),
                                 [&](const auto& item) { return item.get() == &stream; }));
      return MMSYSERR_NOERROR;
    });
  }

  SoundServerConnection link_;
  uintptr_t opens_ = 0; // devices opened so far
  uint32_t holdMs_ = 0; // output held ahead of the speaker; 0: the default
  // Indexed by capture: the chosen device's name, and whether its absence was told.
  std::string chosen_[2];
  bool told_[2] = {false, false};
  std::vector<std::unique_ptr<SoundServerCapture>> captures_;
  std::vector<std::unique_ptr<SoundServerPlayback>> playbacks_;
};

} // namespace

std::unique_ptr<WaveAudio> CreateSoundServerAudio(const char* appName) {
  return std::make_unique<SoundServerAudio>(appName);
}
