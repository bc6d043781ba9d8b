// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The state of the two streams the window drives, and what the capture side
// measured of the latest block.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <QtGlobal>

#include "platform/WaveAudio.h"
#include "widgets/LedLevel.h"

// The input: four buffers of 2048 stereo frames circulate through the device.
struct CaptureStream {
  static constexpr int BufferCount = 4;
  static constexpr int BufferBytes = 8192;
  WAVEFORMATEX* InFormat = nullptr; // allocated by FormCreate, freed by FormDestroy
  std::array<WAVEHDR*, BufferCount> InHeaders{};
  alignas(8) std::array<std::array<char, BufferBytes>, BufferCount> InBuffers{};
  bool Recording = false; // blocks are processed and handed back
  bool InClosed = false;  // no buffer outstanding: nothing to wait for at shutdown
  // The block being handled holds input that was lost (its second is no
  // measurement).
  bool BlockGap = false;
};

// Each channel's peak in the latest block and what the meters were given.
struct InputLevels {
  int32_t PeakL = 0, PeakR = 0; // 0..32767
  TLedLevel LedL, LedR;         // the pairs last passed to the meters
  int16_t HoldL = 0, HoldR = 0; // the falling peak holds
};

// The generator's output: two buffers of 250 ms circulate.
struct PlaybackStream {
  static constexpr int BufferCount = 2;
  static constexpr int BufferBytes = 48000;
  WAVEFORMATEX OutFormat{};
  WAVEHDR* OutHeaders = nullptr;               // two headers, freed with the window
  std::array<char*, BufferCount> OutBuffers{}; // freed with the window
  bool OutStop = false; // stop request: the next returned buffer closes the device
  bool OutIdle = false; // the device may be opened
  // A stop the user asked for: its close reopens the device if a source is on again.
  bool OutResume = false;
};

// What the window knows of the desktop between the card and the numbers, and
// what it reopens when the sound server comes back.
struct SignalPathState {
  // How each path changes the signal, as the audio layer last reported it;
  // empty when it is transparent.
  std::vector<std::string> InFindings, OutFindings;
  // What the terminal was last told of each path.
  std::vector<std::string> InTold, OutTold;
  bool ReopenInput = false;  // the input stopped because the server went away
  bool ReopenOutput = false; // the output was let go for the same reason
  qint64 ReopenUntil = 0;    // ms since the epoch: until then a reopen is tried again
};
