// SPDX-License-Identifier: GPL-3.0-or-later
// Capture from the fixture's server, whose default source is the monitor of
// the null sink: what is played into the sink comes back as blocks.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>

#include "AudioTestSupport.h"

namespace {

constexpr uint32_t kBlockBytes = 8192; // 2048 stereo frames
constexpr double kBlocksPerSecond = 48000.0 / 2048.0;

class CaptureTest : public ::testing::Test {
protected:
  // Opens the default source with notifications to the log and queues count
  // buffers; with circulate, every returned buffer is kept (appended to
  // recorded) and queued again.
  void Open(bool circulate, size_t count = 4) {
    ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
    for (size_t i = 0; i < count; ++i) {
      ASSERT_EQ(audio->WaveInPrepareHeader(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
      ASSERT_EQ(audio->WaveInAddBuffer(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
    if (!circulate) return;
    log.onEvent = [this](const DeviceEvent& event) {
      if (event.Message != MM_WIM_DATA || !running) return;
      const auto* samples = reinterpret_cast<const int16_t*>(event.Header->lpData);
      recorded.insert(recorded.end(), samples, samples + event.Header->dwBytesRecorded / 2);
      EXPECT_EQ(audio->WaveInAddBuffer(in, event.Header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    };
  }

  void TearDown() override {
    running = false;
    if (in == nullptr) return;
    audio->WaveInReset(in);
    EXPECT_EQ(audio->WaveInClose(in), MMSYSERR_NOERROR);
    EXPECT_TRUE(WaitFor([&] { return log.Count(MM_WIM_CLOSE) == 1; }, 2000));
    in = nullptr;
  }

  // Resets and closes the device; what it wrote on stderr meanwhile.
  std::string CloseReadingStderr() {
    ::testing::internal::CaptureStderr();
    TearDown();
    return ::testing::internal::GetCapturedStderr();
  }

  // Starts with no buffer queued and lets the input wait that long.
  void StartWithEveryBufferHeld(int ms) {
    ASSERT_NO_FATAL_FAILURE(Open(false, 0));
    ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
    ProcessEvents(ms);
  }

  // Queues the four buffers, and each again as it comes back.
  void Circulate() {
    log.onEvent = [this](const DeviceEvent& event) {
      if (event.Message == MM_WIM_DATA && running) {
        EXPECT_EQ(audio->WaveInAddBuffer(in, event.Header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
      }
    };
    for (size_t i = 0; i < buffers.Count(); ++i) {
      ASSERT_EQ(audio->WaveInPrepareHeader(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
      ASSERT_EQ(audio->WaveInAddBuffer(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  }

  std::unique_ptr<WaveAudio> audio = CreateSoundServerAudio("Veltrano");
  WAVEFORMATEX format = StereoFormat();
  EventLog log;
  Buffers buffers{4, kBlockBytes};
  HWAVEIN in = nullptr;
  bool running = true;
  std::vector<int16_t> recorded;
};

// Largest magnitude of one channel (0 left, 1 right) over frames [from, to).
int Peak(const std::vector<int16_t>& samples, size_t from, size_t to, int channel) {
  int peak = 0;
  for (size_t frame = from; frame < to; ++frame)
    peak = std::max(peak, std::abs(static_cast<int>(samples[2 * frame + channel])));
  return peak;
}

TEST_F(CaptureTest, TonesComeBackPerChannelInFullBlocks) {
  constexpr int kLeft = 8000, kRight = 20000;
  std::vector<int16_t> tone(2 * 48000 * 2);
  for (size_t frame = 0; frame < tone.size() / 2; ++frame) {
    const double t = static_cast<double>(frame) / 48000.0;
    tone[2 * frame] =
        static_cast<int16_t>(std::lround(kLeft * std::sin(2 * std::numbers::pi * 1000 * t)));
    tone[2 * frame + 1] =
        static_cast<int16_t>(std::lround(kRight * std::sin(2 * std::numbers::pi * 3000 * t)));
  }
  ASSERT_NO_FATAL_FAILURE(Open(true));
  ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return !recorded.empty(); }, 2000));

  SinkPlayer player;
  ASSERT_TRUE(player.Start(tone));
  ASSERT_TRUE(WaitFor([&] { return !player.Running(); }, 15000));
  ASSERT_TRUE(player.Succeeded());
  ProcessEvents(300);
  running = false;

  for (const EventLog::Entry& entry : log.entries) {
    if (entry.message != MM_WIM_DATA) continue;
    EXPECT_EQ(entry.bytesRecorded, kBlockBytes);
    EXPECT_EQ(entry.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
  }
  const size_t frames = recorded.size() / 2;
  size_t first = 0, last = frames;
  while (first < frames && recorded[2 * first] == 0 && recorded[2 * first + 1] == 0)
    ++first;
  while (last > first && recorded[2 * last - 2] == 0 && recorded[2 * last - 1] == 0)
    --last;
  // The tone lasts 2 s; judge it away from its first and last 100 ms.
  ASSERT_GT(last - first, 48000u * 19 / 10);
  int windows = 0;
  for (size_t from = first + 4800; from + 2048 <= last - 4800; from += 2048, ++windows) {
    EXPECT_NEAR(Peak(recorded, from, from + 2048, 0), kLeft, kLeft / 100) << "frame " << from;
    EXPECT_NEAR(Peak(recorded, from, from + 2048, 1), kRight, kRight / 100) << "frame " << from;
  }
  EXPECT_GE(windows, 40);
  EXPECT_EQ(log.LostFrames(), 0u);
}

// Two seconds with every buffer held wait in the server: once buffers come
// they fill at once, block after block, and nothing is missing.
TEST_F(CaptureTest, InputWithNoBufferQueuedWaitsAndIsCaughtUp) {
  QElapsedTimer clock;
  clock.start();
  ASSERT_NO_FATAL_FAILURE(StartWithEveryBufferHeld(2000));
  EXPECT_EQ(log.Count(MM_WIM_DATA), 0u);
  ASSERT_NO_FATAL_FAILURE(Circulate());
  ASSERT_TRUE(WaitFor([&] { return log.Count(MM_WIM_DATA) >= 40; }, 1000));
  ProcessEvents(1000);
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  running = false;
  // All input since the start came, less what is in flight.
  EXPECT_NEAR(static_cast<double>(log.Count(MM_WIM_DATA)), seconds * kBlocksPerSecond, 4.0);
  EXPECT_EQ(log.LostFrames(), 0u);
  for (const EventLog::Entry& entry : log.entries)
    EXPECT_FALSE(entry.gap);
}

TEST_F(CaptureTest, ThirtySecondsWithFourBuffersLoseNoBlock) {
  ASSERT_NO_FATAL_FAILURE(Open(true));
  QElapsedTimer clock;
  clock.start();
  ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
  ProcessEvents(30000);
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  running = false;

  std::vector<EventLog::Entry> blocks;
  for (const EventLog::Entry& entry : log.entries)
    if (entry.message == MM_WIM_DATA) blocks.push_back(entry);
  const double expected = seconds * kBlocksPerSecond;
  EXPECT_GE(static_cast<double>(blocks.size()), expected - 3);
  EXPECT_LE(static_cast<double>(blocks.size()), expected + 1);
  ASSERT_GE(blocks.size(), 2u);
  const double span = static_cast<double>(blocks.back().ms - blocks.front().ms) / 1000.0;
  EXPECT_NEAR(static_cast<double>(blocks.size() - 1), span * kBlocksPerSecond, 2.0);
  for (size_t i = 0; i < blocks.size(); ++i) {
    EXPECT_EQ(buffers.IndexOf(blocks[i].header), static_cast<int>(i % 4)) << "block " << i;
    EXPECT_EQ(blocks[i].bytesRecorded, kBlockBytes);
  }
  EXPECT_EQ(log.LostFrames(), 0u);
}

// Buffers held longer than the server holds the input: the blocks after the
// gap carry it, the first with its frames, and the terminal hears of it with
// its cause. What came and what was lost make up all the input since the
// start, to the blocks in flight. A gap ended by the reset (buffers held by
// STOP) was not lost.
TEST_F(CaptureTest, InputHeldTooLongIsCountedOnTheBlockAfterTheGap) {
  ::testing::internal::CaptureStderr();
  QElapsedTimer clock;
  clock.start();
  ASSERT_NO_FATAL_FAILURE(StartWithEveryBufferHeld(5500));
  ASSERT_NO_FATAL_FAILURE(Circulate());
  ASSERT_TRUE(WaitFor([&] { return log.LostFrames() > 0; }, 3000));
  ProcessEvents(1000);
  const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
  running = false;
  const std::string report = ::testing::internal::GetCapturedStderr();
  size_t lossBlocks = 0, gapBlocks = 0;
  for (const EventLog::Entry& entry : log.entries) {
    lossBlocks += entry.lostFrames != 0;
    gapBlocks += entry.gap;
  }
  EXPECT_GE(lossBlocks, 1u);
  EXPECT_GE(gapBlocks, lossBlocks);
  EXPECT_GT(log.LostFrames(), 48000u);
  const double frames = static_cast<double>(log.Count(MM_WIM_DATA) * 2048 + log.LostFrames());
  EXPECT_NEAR(frames, seconds * 48000, 4 * 2048);
  std::printf("[ figures  ] %.3f s: %zu blocks came, %llu frames were lost, %.0f missing\n",
              seconds, log.Count(MM_WIM_DATA), static_cast<unsigned long long>(log.LostFrames()),
              seconds * 48000 - frames);
  EXPECT_NE(report.find("frames of sound input were lost: the program did not take its input"),
            std::string::npos)
      << report;
}

TEST_F(CaptureTest, InputMissedUntilTheResetIsNotReported) {
  ASSERT_NO_FATAL_FAILURE(StartWithEveryBufferHeld(5500));
  EXPECT_EQ(CloseReadingStderr(), "");
}

} // namespace
