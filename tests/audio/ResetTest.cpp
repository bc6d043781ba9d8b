// SPDX-License-Identifier: GPL-3.0-or-later
// Reset and close on both sides: every queued buffer comes back, in queue
// order, each with its own notification, and the close is reported last.

#include <QCoreApplication>

#include <gtest/gtest.h>

#include "AudioTestSupport.h"

namespace {

class ResetTest : public ::testing::Test {
protected:
  // The buffers of the given set named by the notifications of one kind, in
  // arrival order; -1 marks a header of another set.
  std::vector<int> Returned(uint32_t message, const Buffers& buffers) const {
    std::vector<int> order;
    for (const EventLog::Entry& entry : log.entries)
      if (entry.message == message) order.push_back(buffers.IndexOf(entry.header));
    return order;
  }

  std::unique_ptr<WaveAudio> audio = CreateSoundServerAudio("Veltrano");
  WAVEFORMATEX format = StereoFormat();
  EventLog log;
};

TEST_F(ResetTest, CaptureReturnsQueuedBuffersInOrderThenCloses) {
  Buffers buffers(4, 8192);
  HWAVEIN in = nullptr;
  ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  for (size_t i = 0; i < buffers.Count(); ++i) {
    ASSERT_EQ(audio->WaveInPrepareHeader(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(audio->WaveInAddBuffer(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return log.Count(MM_WIM_DATA) == 1; }, 2000));

  EXPECT_EQ(audio->WaveInClose(in), WAVERR_STILLPLAYING);
  EXPECT_EQ(audio->WaveInReset(in), MMSYSERR_NOERROR);
  EXPECT_EQ(audio->WaveInClose(in), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return log.Count(MM_WIM_CLOSE) == 1; }, 2000));
  ProcessEvents(300);

  EXPECT_EQ(Returned(MM_WIM_DATA, buffers), (std::vector<int>{0, 1, 2, 3}));
  ASSERT_FALSE(log.entries.empty());
  EXPECT_EQ(log.entries.back().message, MM_WIM_CLOSE);
  EXPECT_EQ(log.entries.back().device, static_cast<void*>(in));
  for (const EventLog::Entry& entry : log.entries) {
    if (entry.message != MM_WIM_DATA) continue;
    EXPECT_EQ(entry.device, static_cast<void*>(in));
    EXPECT_LE(entry.bytesRecorded, 8192u);
    EXPECT_EQ(entry.bytesRecorded % 4, 0u);
    EXPECT_EQ(entry.flags & (WHDR_DONE | WHDR_INQUEUE | WHDR_PREPARED), WHDR_DONE | WHDR_PREPARED);
  }
}

TEST_F(ResetTest, CaptureNeverStartedReturnsEmptyBuffers) {
  Buffers buffers(3, 8192);
  HWAVEIN in = nullptr;
  ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  for (size_t i = 0; i < buffers.Count(); ++i) {
    ASSERT_EQ(audio->WaveInAddBuffer(in, buffers[i], sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    ASSERT_EQ(audio->WaveInPrepareHeader(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(audio->WaveInAddBuffer(in, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  EXPECT_EQ(audio->WaveInAddBuffer(in, buffers[0], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  ProcessEvents(200);
  EXPECT_EQ(log.Count(MM_WIM_DATA), 0u);
  audio->WaveInReset(in);
  EXPECT_EQ(audio->WaveInClose(in), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return log.Count(MM_WIM_CLOSE) == 1; }, 2000));

  EXPECT_EQ(Returned(MM_WIM_DATA, buffers), (std::vector<int>{0, 1, 2}));
  for (const EventLog::Entry& entry : log.entries)
    if (entry.message == MM_WIM_DATA) {
      EXPECT_EQ(entry.bytesRecorded, 0u);
    }
  EXPECT_EQ(log.entries.back().message, MM_WIM_CLOSE);
}

TEST_F(ResetTest, PlaybackReturnsQueuedBuffersInOrderThenCloses) {
  Buffers buffers(3, 192000); // a second each, so all are still queued
  HWAVEOUT out = nullptr;
  ASSERT_EQ(audio->WaveOutOpen(&out, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return log.Count(MM_WOM_OPEN) == 1; }, 2000));
  for (size_t i = 0; i < buffers.Count(); ++i) {
    ASSERT_EQ(audio->WaveOutWrite(out, buffers[i], sizeof(WAVEHDR)), WAVERR_UNPREPARED);
    ASSERT_EQ(audio->WaveOutPrepareHeader(out, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    ASSERT_EQ(audio->WaveOutWrite(out, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  }
  EXPECT_EQ(audio->WaveOutWrite(out, buffers[1], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  EXPECT_EQ(audio->WaveOutUnprepareHeader(out, buffers[2], sizeof(WAVEHDR)), WAVERR_STILLPLAYING);
  ProcessEvents(150);

  EXPECT_EQ(audio->WaveOutClose(out), WAVERR_STILLPLAYING);
  EXPECT_EQ(audio->WaveOutReset(out), MMSYSERR_NOERROR);
  for (size_t i = 0; i < buffers.Count(); ++i) {
    EXPECT_EQ(audio->WaveOutUnprepareHeader(out, buffers[i], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    EXPECT_EQ(buffers[i]->dwFlags & WHDR_PREPARED, 0u);
  }
  EXPECT_EQ(audio->WaveOutClose(out), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor([&] { return log.Count(MM_WOM_CLOSE) == 1; }, 2000));
  ProcessEvents(300);

  EXPECT_EQ(Returned(MM_WOM_DONE, buffers), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(log.entries.front().message, MM_WOM_OPEN);
  EXPECT_EQ(log.entries.back().message, MM_WOM_CLOSE);
  for (const EventLog::Entry& entry : log.entries) {
    EXPECT_EQ(entry.device, static_cast<void*>(out));
    if (entry.message == MM_WOM_DONE) {
      EXPECT_EQ(entry.flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    }
  }
}

// The owner is gone with its devices still running: nothing may be posted to
// it afterwards.
TEST_F(ResetTest, DestroyingTheServiceWithOpenDevicesPostsNothingMore) {
  Buffers inBuffers(4, 8192), outBuffers(2, 48000);
  HWAVEIN in = nullptr;
  HWAVEOUT out = nullptr;
  ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  ASSERT_EQ(audio->WaveOutOpen(&out, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  log.onEvent = [&](const DeviceEvent& event) {
    if (event.Message == MM_WIM_DATA) audio->WaveInAddBuffer(in, event.Header, sizeof(WAVEHDR));
    if (event.Message == MM_WOM_DONE) audio->WaveOutWrite(out, event.Header, sizeof(WAVEHDR));
  };
  for (size_t i = 0; i < inBuffers.Count(); ++i) {
    audio->WaveInPrepareHeader(in, inBuffers[i], sizeof(WAVEHDR));
    audio->WaveInAddBuffer(in, inBuffers[i], sizeof(WAVEHDR));
  }
  for (size_t i = 0; i < outBuffers.Count(); ++i) {
    audio->WaveOutPrepareHeader(out, outBuffers[i], sizeof(WAVEHDR));
    audio->WaveOutWrite(out, outBuffers[i], sizeof(WAVEHDR));
  }
  audio->WaveInStart(in);
  ASSERT_TRUE(
      WaitFor([&] { return log.Count(MM_WIM_DATA) >= 8 && log.Count(MM_WOM_DONE) >= 2; }, 3000));

  log.onEvent = nullptr;
  audio.reset();
  QCoreApplication::sendPostedEvents(); // whatever was posted before the end
  const size_t seen = log.entries.size();
  ProcessEvents(300);
  EXPECT_EQ(log.entries.size(), seen);
}

} // namespace
