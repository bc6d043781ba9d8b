// SPDX-License-Identifier: GPL-3.0-or-later
// Playback into the fixture's null sink, heard back through its monitor with
// the capture side.

#include <gtest/gtest.h>

#include "AudioTestSupport.h"

namespace {

constexpr uint32_t kFrames = 12000; // 250 ms per buffer
constexpr int kWritten = 8;

// Frame g of the played signal: the left channel names the buffer it came
// from, the right one counts frames, so order, gaps and repeats all show.
int16_t LeftOf(uint32_t g) {
  return static_cast<int16_t>(1000 * (g / kFrames + 1));
}
int16_t RightOf(uint32_t g) {
  return static_cast<int16_t>(g % 30000 + 1);
}

TEST(PlaybackTest, QueuedBuffersPlayGaplesslyInOrder) {
  auto audio = CreateSoundServerAudio("Veltrano");
  const WAVEFORMATEX format = StereoFormat();

  EventLog inLog;
  Buffers inBuffers(4, 8192);
  std::vector<int16_t> recorded;
  HWAVEIN in = nullptr;
  bool recording = true;
  ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &inLog, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  inLog.onEvent = [&](const DeviceEvent& event) {
    if (event.Message != MM_WIM_DATA || !recording) return;
    const auto* samples = reinterpret_cast<const int16_t*>(event.Header->lpData);
    recorded.insert(recorded.end(), samples, samples + event.Header->dwBytesRecorded / 2);
    audio->WaveInAddBuffer(in, event.Header, sizeof(WAVEHDR));
  };
  for (size_t i = 0; i < inBuffers.Count(); ++i) {
    ASSERT_EQ(audio->WaveInPrepareHeader(in, inBuffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(audio->WaveInAddBuffer(in, inBuffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return !recorded.empty(); }, 2000));

  EventLog outLog;
  Buffers outBuffers(2, kFrames * 4);
  HWAVEOUT out = nullptr;
  uint32_t next = 0; // buffers written so far
  std::vector<MMRESULT> writes;
  const auto fillAndWrite = [&](WAVEHDR* header) {
    auto* samples = reinterpret_cast<int16_t*>(header->lpData);
    for (uint32_t frame = 0; frame < kFrames; ++frame) {
      samples[2 * frame] = LeftOf(next * kFrames + frame);
      samples[2 * frame + 1] = RightOf(next * kFrames + frame);
    }
    ++next;
    writes.push_back(audio->WaveOutWrite(out, header, sizeof(WAVEHDR)));
  };
  outLog.onEvent = [&](const DeviceEvent& event) {
    if (event.Message == MM_WOM_OPEN) {
      for (size_t i = 0; i < outBuffers.Count(); ++i) {
        audio->WaveOutPrepareHeader(out, outBuffers[i], sizeof(WAVEHDR));
        fillAndWrite(outBuffers[i]);
      }
    } else if (event.Message == MM_WOM_DONE && next < kWritten) {
      fillAndWrite(event.Header);
    }
  };
  ASSERT_EQ(audio->WaveOutOpen(&out, 0, &format, &outLog, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return outLog.Count(MM_WOM_DONE) == kWritten; }, 5000));
  ProcessEvents(600); // the server's own buffer and the monitor's latency
  recording = false;

  EXPECT_EQ(writes, std::vector<MMRESULT>(kWritten, MMSYSERR_NOERROR));
  int done = 0;
  for (const EventLog::Entry& entry : outLog.entries) {
    if (entry.message != MM_WOM_DONE) continue;
    EXPECT_EQ(outBuffers.IndexOf(entry.header), done % 2) << "return " << done;
    EXPECT_EQ(entry.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    ++done;
  }

  // The first frames of a new stream may be lost in the monitor; align on the
  // frame counter of the first one heard.
  const size_t frames = recorded.size() / 2;
  size_t start = 0;
  while (start < frames && recorded[2 * start] == 0)
    ++start;
  ASSERT_LT(start, frames) << "nothing was heard";
  const uint32_t first = static_cast<uint32_t>(recorded[2 * start + 1] - 1);
  ASSERT_LT(first, 480u) << "more than the first 10 ms are missing";
  const size_t end = start + kWritten * kFrames - first;
  ASSERT_GE(frames, end + 2048) << "the recording ends too early";
  size_t mismatches = 0;
  for (uint32_t g = first; g < kWritten * kFrames; ++g) {
    const size_t frame = start + g - first;
    const int16_t left = recorded[2 * frame], right = recorded[2 * frame + 1];
    if (left == LeftOf(g) && right == RightOf(g)) continue;
    if (++mismatches <= 5)
      ADD_FAILURE() << "frame " << g << ": heard (" << left << ", " << right << "), played ("
                    << LeftOf(g) << ", " << RightOf(g) << ")";
  }
  EXPECT_EQ(mismatches, 0u);
  for (size_t frame = end; frame < end + 2048; ++frame)
    ASSERT_EQ(recorded[2 * frame], 0) << "something played after the last buffer";

  audio->WaveOutReset(out);
  EXPECT_EQ(audio->WaveOutClose(out), MMSYSERR_NOERROR);
  audio->WaveInReset(in);
  EXPECT_EQ(audio->WaveInClose(in), MMSYSERR_NOERROR);
  EXPECT_TRUE(WaitFor(
      [&] { return outLog.Count(MM_WOM_CLOSE) == 1 && inLog.Count(MM_WIM_CLOSE) == 1; }, 2000));
}

} // namespace
