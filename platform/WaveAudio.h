// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The wave-audio service the capture and playback streams talk to: the calls,
// records, result codes and notifications they rely on, on any backend.
//
// Every call is made on the window's (GUI) thread. Notifications are posted as
// DeviceEvent to the target object given at the open and so arrive on its
// thread, in the order the device produced them.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <QEvent>

class QObject;

using MMRESULT = uint32_t;

// Result codes; MMErrorText gives their texts.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT WAVERR_BADFORMAT = 32;
inline constexpr MMRESULT WAVERR_STILLPLAYING = 33;
inline constexpr MMRESULT WAVERR_UNPREPARED = 34;

// Open flags.
inline constexpr uint32_t WAVE_FORMAT_QUERY = 0x0001;
inline constexpr uint32_t WAVE_MAPPED = 0x0004;
inline constexpr uint32_t CALLBACK_WINDOW = 0x00010000;

// Header flags.
inline constexpr uint32_t WHDR_DONE = 0x01;
inline constexpr uint32_t WHDR_PREPARED = 0x02;
inline constexpr uint32_t WHDR_INQUEUE = 0x10;

// Notification message numbers.
inline constexpr uint32_t MM_WOM_OPEN = 0x3BB;
inline constexpr uint32_t MM_WOM_CLOSE = 0x3BC;
inline constexpr uint32_t MM_WOM_DONE = 0x3BD;
inline constexpr uint32_t MM_WIM_OPEN = 0x3BE;
inline constexpr uint32_t MM_WIM_CLOSE = 0x3BF;
inline constexpr uint32_t MM_WIM_DATA = 0x3C0;
// Our own: the server behind an open device went away (or the device failed).
// Sent once per open device; the handle stays valid for reset and close.
inline constexpr uint32_t MM_WIM_LOST = 0x3C8;
inline constexpr uint32_t MM_WOM_LOST = 0x3C9;
// Our own: the server that went away answers again (after AwaitServer).
inline constexpr uint32_t MM_SERVER_BACK = 0x3CA;

inline constexpr uint16_t WAVE_FORMAT_PCM = 1;

#pragma pack(push, 1)
struct WAVEFORMATEX {
  uint16_t wFormatTag;
  uint16_t nChannels;
  uint32_t nSamplesPerSec;
  uint32_t nAvgBytesPerSec;
  uint16_t nBlockAlign;
  uint16_t wBitsPerSample;
  uint16_t cbSize;
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18);

struct WAVEHDR {
  char* lpData;             // the sample memory, owned by the caller
  uint32_t dwBufferLength;  // bytes
  uint32_t dwBytesRecorded; // capture: bytes filled when the buffer came back
  uintptr_t dwUser;
  uint32_t dwFlags;
  uint32_t dwLoops;
  WAVEHDR* lpNext;
  uintptr_t reserved;
};

struct WaveInStream;
struct WaveOutStream;
using HWAVEIN = WaveInStream*;
using HWAVEOUT = WaveOutStream*;

// One notification of a device, posted to the open's target object. Its
// QEvent type is DeviceEventType(Message).
class DeviceEvent : public QEvent {
public:
  DeviceEvent(uint32_t message, void* device, WAVEHDR* header, MMRESULT code = MMSYSERR_NOERROR);
  // Notifications live in a fixed set of slots, so the one posted per buffer
  // allocates nothing: any thread may take a slot, and the receiver's delete
  // frees it. When every slot is taken the heap stands in.
  static void* operator new(std::size_t size);
  static void operator delete(void* event, std::size_t size) noexcept;

  uint32_t Message;
  void* Device;    // the HWAVEIN or HWAVEOUT that sent it
  WAVEHDR* Header; // the buffer it refers to (data and done), else null
  MMRESULT Code;   // the failure behind a LOST notification
  // MM_WIM_DATA: input frames lost just before this buffer (0: none), and
  // whether the buffer's span holds such a gap (it may be split over two).
  uint32_t LostFrames = 0;
  bool Gap = false;
};

// The QEvent type that carries the given message number.
QEvent::Type DeviceEventType(uint32_t message);

// The service. A backend maps every failure onto the result codes above:
// no server or no default device -> 2, a format the device refuses -> 32,
// out of memory -> 7, anything else -> 1.
class WaveAudio {
public:
  virtual ~WaveAudio() = default;

  // Device 0 is the default source. With WAVE_FORMAT_QUERY nothing is opened
  // and only the answer counts (with WAVE_MAPPED: can the format be recorded
  // at all; without: does the device itself offer it). Otherwise the device is
  // opened, stopped, and *phwi receives the handle; CALLBACK_WINDOW sends the
  // notifications to target.
  virtual MMRESULT WaveInOpen(HWAVEIN* phwi, uint32_t deviceId, const WAVEFORMATEX* format,
                              QObject* target, uintptr_t instance, uint32_t flags) = 0;
  virtual MMRESULT WaveInPrepareHeader(HWAVEIN hwi, WAVEHDR* header, uint32_t size) = 0;
  // Queues a prepared buffer behind the others; it comes back as MM_WIM_DATA
  // once it is full (dwBufferLength bytes of whole frames). While no buffer is
  // queued the input waits in the device for a few seconds and fills the
  // next buffers at once; what is lost beyond that is told on the buffer
  // after the gap (DeviceEvent::LostFrames, Gap).
  virtual MMRESULT WaveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, uint32_t size) = 0;
  virtual MMRESULT WaveInStart(HWAVEIN hwi) = 0;
  // Stops recording and returns every queued buffer, each as its own
  // MM_WIM_DATA, in queue order.
  virtual MMRESULT WaveInReset(HWAVEIN hwi) = 0;
  // Closes the device; MM_WIM_CLOSE follows as its own event, after every
  // buffer notification. The handle is invalid afterwards.
  virtual MMRESULT WaveInClose(HWAVEIN hwi) = 0;

  // Device 0 is the default sink. On success MM_WOM_OPEN follows.
  virtual MMRESULT WaveOutOpen(HWAVEOUT* phwo, uint32_t deviceId, const WAVEFORMATEX* format,
                               QObject* target, uintptr_t instance, uint32_t flags) = 0;
  virtual MMRESULT WaveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) = 0;
  virtual MMRESULT WaveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) = 0;
  // Queues a prepared buffer; buffers play gaplessly in queue order and each
  // comes back as MM_WOM_DONE once the server has taken all of it.
  virtual MMRESULT WaveOutWrite(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) = 0;
  // Stops at once and returns every queued buffer, each as MM_WOM_DONE.
  virtual MMRESULT WaveOutReset(HWAVEOUT hwo) = 0;
  // Closes the device; MM_WOM_CLOSE follows. The handle is invalid afterwards.
  virtual MMRESULT WaveOutClose(HWAVEOUT hwo) = 0;

  // Beyond the wave-audio calls: the server's devices by name. Device 0 is
  // the chosen source (capture) or sink, or the server's default while none
  // is chosen (an empty name) or the chosen one is not there.
  struct Device {
    std::string Name, Description;
  };
  // The server's sources (capture) or sinks; empty when it cannot be asked.
  virtual std::vector<Device> Devices(bool /*capture*/) { return {}; }
  // Chooses the device for the next opens and moves an open stream to it.
  virtual void ChooseDevice(bool /*capture*/, const std::string& /*name*/) {}
  virtual std::string ChosenDevice(bool /*capture*/) const { return {}; }
  // The device an open stream is on now, as the server last told: it follows
  // a move made elsewhere (the desktop's sound settings). Empty while no
  // stream of that side is open.
  virtual std::string DeviceInUse(bool /*capture*/) const { return {}; }
  // How much output the later opens keep waiting ahead of the speaker, in ms;
  // 0 is the default of about a quarter second, which a change is heard
  // within. More lets a program that is stopped for a while not run dry.
  virtual void HoldOutput(uint32_t /*ms*/) {}
  // Posts one MM_SERVER_BACK to target once the server answers again, without
  // keeping the calling thread waiting; target must outlive the service.
  virtual void AwaitServer(QObject* /*target*/) {}
};

// Our own: the signal path of an open device stopped or started being
// transparent; Findings says how it changes the signal, empty when it does not.
class PathEvent : public QEvent {
public:
  PathEvent(bool input, std::vector<std::string> findings);
  static QEvent::Type Type();
  bool Input;
  std::vector<std::string> Findings;
};

// The service on the system's sound server; streams carry appName.
std::unique_ptr<WaveAudio> CreateSoundServerAudio(const char* appName);
