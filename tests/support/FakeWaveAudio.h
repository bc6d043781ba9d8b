// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An in-process wave-audio device for window tests: the test feeds capture
// blocks and takes played buffers by hand. Notifications are posted to the
// open's target exactly as the real service posts them.

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "platform/WaveAudio.h"

class FakeWaveAudio : public WaveAudio {
public:
  // Results the next calls give; 0 is success.
  MMRESULT MappedQueryResult = 0;
  MMRESULT DeviceQueryResult = 0;
  MMRESULT InOpenResult = 0;
  MMRESULT InPrepareResult = 0;
  MMRESULT InAddResult = 0;
  MMRESULT InStartResult = 0;
  MMRESULT OutOpenResult = 0;
  MMRESULT OutPrepareResult = 0;
  MMRESULT OutWriteResult = 0;
  MMRESULT OutUnprepareResult = 0;
  // A device that closes but never reports it (no MM_WIM_CLOSE).
  bool SwallowInClose = false;

  // Calls seen.
  int InOpens = 0, InStarts = 0, InResets = 0, InCloses = 0, InAdds = 0;
  int OutOpens = 0, OutWrites = 0, OutResets = 0, OutCloses = 0;
  // Input opens made while an earlier input stream was still open.
  int InOpensWhileOpen = 0;

  bool InOpen() const { return inOpen_; }
  bool OutOpen() const { return outOpen_; }
  size_t QueuedInBuffers() const { return inQueue_.size(); }
  size_t QueuedOutBuffers() const { return outQueue_.size(); }

  // Fills the buffer at the head of the capture queue with 2048 interleaved
  // frames (left at even indices) and posts MM_WIM_DATA. False when no buffer
  // is queued (the block is dropped, as a card does).
  bool DeliverBlock(const std::vector<int16_t>& interleaved);
  // Builds a block with constant-magnitude square waves per channel.
  static std::vector<int16_t> SquareBlock(int16_t left, int16_t right);
  // Posts MM_WIM_LOST / MM_WOM_LOST as a vanished server does.
  void LoseInput(MMRESULT code = MMSYSERR_BADDEVICEID);
  void LoseOutput(MMRESULT code = MMSYSERR_BADDEVICEID);

  // Takes the buffer at the head of the playback queue, keeps a copy of its
  // samples in Played, and posts MM_WOM_DONE. False when none is queued.
  bool PlayNext();
  std::vector<std::vector<int16_t>> Played;

  // The server's devices, the chosen ones and the ones the streams are on,
  // by side: [1] capture, [0] playback.
  std::vector<Device> ServerDevices[2];
  std::string Chosen[2], InUse[2];
  std::vector<Device> Devices(bool capture) override { return ServerDevices[capture]; }
  void ChooseDevice(bool capture, const std::string& name) override { Chosen[capture] = name; }
  std::string ChosenDevice(bool capture) const override { return Chosen[capture]; }
  std::string DeviceInUse(bool capture) const override { return InUse[capture]; }

  MMRESULT WaveInOpen(HWAVEIN* phwi, uint32_t deviceId, const WAVEFORMATEX* format, QObject* target,
                      uintptr_t instance, uint32_t flags) override;
  MMRESULT WaveInPrepareHeader(HWAVEIN hwi, WAVEHDR* header, uint32_t size) override;
  MMRESULT WaveInAddBuffer(HWAVEIN hwi, WAVEHDR* header, uint32_t size) override;
  MMRESULT WaveInStart(HWAVEIN hwi) override;
  MMRESULT WaveInReset(HWAVEIN hwi) override;
  MMRESULT WaveInClose(HWAVEIN hwi) override;
  MMRESULT WaveOutOpen(HWAVEOUT* phwo, uint32_t deviceId, const WAVEFORMATEX* format,
                       QObject* target, uintptr_t instance, uint32_t flags) override;
  MMRESULT WaveOutPrepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) override;
  MMRESULT WaveOutUnprepareHeader(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) override;
  MMRESULT WaveOutWrite(HWAVEOUT hwo, WAVEHDR* header, uint32_t size) override;
  MMRESULT WaveOutReset(HWAVEOUT hwo) override;
  MMRESULT WaveOutClose(HWAVEOUT hwo) override;

private:
  void Post(uint32_t message, void* device, WAVEHDR* header, MMRESULT code = 0);
  HWAVEIN InHandle();
  HWAVEOUT OutHandle();

  // Each open gets a fresh handle value, so stale notifications can be told apart.
  int inGeneration_ = 0, outGeneration_ = 0;
  std::vector<char> handles_ = std::vector<char>(4096);
  bool inOpen_ = false, outOpen_ = false;
  QObject* inTarget_ = nullptr;
  QObject* outTarget_ = nullptr;
  std::deque<WAVEHDR*> inQueue_, outQueue_;
};
