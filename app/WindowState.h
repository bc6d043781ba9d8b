#pragma once
// The state of the main window, grouped as the subsystems own it.

#include <array>
#include <cstdint>

#include <QPoint>

#include "platform/WaveAudio.h"

// The latest captured block, de-interleaved: row 0 the right channel, row 1
// the left. Entries 0..2047 hold the block in time order; entry 2048 of each
// row stays 0, so a reader running past the end of row 0 meets that 0 and then
// the left channel.
struct SampleBlock {
  static constexpr int Frames = 2048;
  std::array<std::array<int16_t, Frames + 1>, 2> Rows{};
  int16_t* Right() { return Rows[0].data(); }
  int16_t* Left() { return Rows[1].data(); }
  const int16_t* Right() const { return Rows[0].data(); }
  const int16_t* Left() const { return Rows[1].data(); }
};

// The input: four buffers of 2048 stereo frames circulate through the device.
struct CaptureStream {
  static constexpr int BufferCount = 4;
  static constexpr int BufferBytes = 8192;
  WAVEFORMATEX* InFormat = nullptr; // allocated by FormCreate, freed by FormDestroy
  HWAVEIN* WaveIn = nullptr;        // the handle cell, held while a device is open
  std::array<WAVEHDR*, BufferCount> InHeaders{};
  alignas(8) std::array<std::array<char, BufferBytes>, BufferCount> InBuffers{};
  bool Recording = false; // blocks are processed and handed back
  bool InClosed = false;  // no buffer outstanding: nothing to wait for at shutdown
};

// The generator's output: two buffers of 250 ms circulate.
struct PlaybackStream {
  static constexpr int BufferCount = 2;
  static constexpr int BufferBytes = 48000;
  HWAVEOUT WaveOut = nullptr;
  WAVEFORMATEX OutFormat{};
  WAVEHDR* OutHeaders = nullptr;               // two headers, never freed
  std::array<char*, BufferCount> OutBuffers{}; // never freed
  bool OutStop = false; // stop request: the next returned buffer closes the device
  bool OutIdle = false; // the device may be opened
  // A stop the user asked for: its close reopens the device if a source is on again.
  bool OutResume = false;
};

struct ScopeState {
  int32_t TrigLevelR = 0, TrigLevelL = 0;
  int32_t ScopeShiftR = 0, ScopeShiftL = 0;
  int32_t ScopeShiftR0 = 0, ScopeShiftL0 = 0;
  int32_t ScopeStartR = 0, ScopeStartL = 0;
};

struct AmpTrace {
  QPoint AmpPrevR, AmpCurR, AmpPrevL, AmpCurL;
  bool AmpReady = false;
};

struct DragState {
  bool RulerDragging = false;
  int32_t RulerGrabX = 0;
  bool DragR = false, DragL = false;
  int32_t ScopeGrabX = 0;
};
