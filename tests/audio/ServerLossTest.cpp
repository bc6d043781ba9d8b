// SPDX-License-Identifier: GPL-3.0-or-later
// A server that stalls or dies under the devices: calls never hang, the loss
// is reported once per device, the handles still reset and close, and a
// later open connects afresh. Each test runs its own server.

#include <gtest/gtest.h>

#include <csignal>

#include "AudioTestSupport.h"

namespace {

TEST(ServerLossTest, StalledServerTimesOutAndIsConnectedAfresh) {
  PrivateServer server(VELTRANO_AUDIO_SCRATCH, "stall");
  ASSERT_TRUE(server.Start());
  ScopedEnv env("PULSE_SERVER", server.Address());
  auto audio = CreateSoundServerAudio("Veltrano");
  const WAVEFORMATEX format = StereoFormat();
  EventLog log;
  HWAVEOUT out = nullptr;

  ASSERT_TRUE(server.Signal(SIGSTOP));
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(audio->WaveInOpen(nullptr, 0, &format, nullptr, 0, WAVE_FORMAT_QUERY | WAVE_MAPPED),
            MMSYSERR_BADDEVICEID);
  EXPECT_LT(clock.elapsed(), 3000);
  clock.restart();
  EXPECT_EQ(audio->WaveOutOpen(&out, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_BADDEVICEID);
  EXPECT_LT(clock.elapsed(), 3000);

  ASSERT_TRUE(server.Signal(SIGCONT));
  EXPECT_EQ(audio->WaveOutOpen(&out, 0, &format, &log, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  EXPECT_TRUE(WaitFor([&] { return log.Count(MM_WOM_OPEN) == 1; }, 2000));
  EXPECT_EQ(audio->WaveOutClose(out), MMSYSERR_NOERROR);
  EXPECT_TRUE(WaitFor([&] { return log.Count(MM_WOM_CLOSE) == 1; }, 2000));
}

TEST(ServerLossTest, KilledServerIsReportedOnceAndDevicesStillClose) {
  PrivateServer server(VELTRANO_AUDIO_SCRATCH, "kill");
  ASSERT_TRUE(server.Start());
  ScopedEnv env("PULSE_SERVER", server.Address());
  auto audio = CreateSoundServerAudio("Veltrano");
  const WAVEFORMATEX format = StereoFormat();

  EventLog inLog, outLog;
  Buffers inBuffers(4, 8192), outBuffers(2, 48000);
  HWAVEIN in = nullptr;
  HWAVEOUT out = nullptr;
  bool circulating = true;
  ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &inLog, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  ASSERT_EQ(audio->WaveOutOpen(&out, 0, &format, &outLog, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  inLog.onEvent = [&](const DeviceEvent& event) {
    if (event.Message == MM_WIM_DATA && circulating) {
      EXPECT_EQ(audio->WaveInAddBuffer(in, event.Header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  };
  outLog.onEvent = [&](const DeviceEvent& event) {
    if (event.Message == MM_WOM_DONE && circulating) {
      EXPECT_EQ(audio->WaveOutWrite(out, event.Header, sizeof(WAVEHDR)), MMSYSERR_NOERROR);
    }
  };
  for (size_t i = 0; i < inBuffers.Count(); ++i) {
    audio->WaveInPrepareHeader(in, inBuffers[i], sizeof(WAVEHDR));
    audio->WaveInAddBuffer(in, inBuffers[i], sizeof(WAVEHDR));
  }
  for (size_t i = 0; i < outBuffers.Count(); ++i) {
    audio->WaveOutPrepareHeader(out, outBuffers[i], sizeof(WAVEHDR));
    audio->WaveOutWrite(out, outBuffers[i], sizeof(WAVEHDR));
  }
  ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor(
      [&] { return inLog.Count(MM_WIM_DATA) >= 6 && outLog.Count(MM_WOM_DONE) >= 2; }, 3000));

  // Buffers queued when the server dies stay with the devices until the reset.
  circulating = false;
  ASSERT_TRUE(server.Signal(SIGKILL));
  ASSERT_TRUE(WaitFor(
      [&] { return inLog.Count(MM_WIM_LOST) == 1 && outLog.Count(MM_WOM_LOST) == 1; }, 3000));
  ProcessEvents(500);
  EXPECT_EQ(inLog.Count(MM_WIM_LOST), 1u);
  EXPECT_EQ(outLog.Count(MM_WOM_LOST), 1u);
  for (const EventLog* log : {&inLog, &outLog})
    for (const EventLog::Entry& entry : log->entries)
      if (entry.message == MM_WIM_LOST || entry.message == MM_WOM_LOST) {
        EXPECT_EQ(entry.code, MMSYSERR_BADDEVICEID);
      }

  EXPECT_EQ(audio->WaveInStart(in), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(audio->WaveInReset(in), MMSYSERR_NOERROR);
  EXPECT_EQ(audio->WaveOutReset(out), MMSYSERR_NOERROR);
  EXPECT_EQ(audio->WaveInAddBuffer(in, inBuffers[0], sizeof(WAVEHDR)), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(audio->WaveOutWrite(out, outBuffers[0], sizeof(WAVEHDR)), MMSYSERR_BADDEVICEID);
  EXPECT_EQ(audio->WaveInClose(in), MMSYSERR_NOERROR);
  EXPECT_EQ(audio->WaveOutClose(out), MMSYSERR_NOERROR);
  ASSERT_TRUE(WaitFor(
      [&] { return inLog.Count(MM_WIM_CLOSE) == 1 && outLog.Count(MM_WOM_CLOSE) == 1; }, 2000));
  for (size_t i = 0; i < inBuffers.Count(); ++i)
    EXPECT_EQ(inBuffers[i]->dwFlags & WHDR_INQUEUE, 0u) << "capture buffer " << i;
  for (size_t i = 0; i < outBuffers.Count(); ++i)
    EXPECT_EQ(outBuffers[i]->dwFlags & WHDR_INQUEUE, 0u) << "playback buffer " << i;
  EXPECT_EQ(inLog.entries.back().message, MM_WIM_CLOSE);
  EXPECT_EQ(outLog.entries.back().message, MM_WOM_CLOSE);

  // The server is back: the same service connects afresh.
  ASSERT_TRUE(server.Start());
  EventLog again;
  ASSERT_EQ(audio->WaveInOpen(&in, 0, &format, &again, 0, CALLBACK_WINDOW), MMSYSERR_NOERROR);
  ASSERT_EQ(audio->WaveInAddBuffer(in, inBuffers[0], sizeof(WAVEHDR)), MMSYSERR_NOERROR);
  ASSERT_EQ(audio->WaveInStart(in), MMSYSERR_NOERROR);
  EXPECT_TRUE(WaitFor([&] { return again.Count(MM_WIM_DATA) == 1; }, 2000));
  audio->WaveInReset(in);
  EXPECT_EQ(audio->WaveInClose(in), MMSYSERR_NOERROR);
  EXPECT_TRUE(WaitFor([&] { return again.Count(MM_WIM_CLOSE) == 1; }, 2000));
}

} // namespace
