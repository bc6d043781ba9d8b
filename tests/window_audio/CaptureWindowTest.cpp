// SPDX-License-Identifier: GPL-3.0-or-later
// The main window recording the private server's default source, the monitor
// of the null sink: what is played into the sink arrives in the sample block's
// rows, the peaks and the readouts, and half a minute of capture loses no
// block.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include <QFile>
#include <QLocale>

#include "AudioWindow.h"
#include "tests/support/WindowTest.h"
#include "tests/support/ZeroCrossings.h"

namespace {

constexpr double kBlocksPerSecond = 48000.0 / 2048.0;

// Interleaved stereo, amplitude x sin(2 pi f t) on each side.
std::vector<int16_t> StereoTone(double seconds, int leftAmplitude, double leftHz,
                                int rightAmplitude, double rightHz) {
  const auto frames = static_cast<size_t>(seconds * 48000);
  std::vector<int16_t> tone(2 * frames);
  for (size_t frame = 0; frame < frames; ++frame) {
    const double t = static_cast<double>(frame) / 48000.0;
    tone[2 * frame] = static_cast<int16_t>(
        std::lround(leftAmplitude * std::sin(2 * std::numbers::pi * leftHz * t)));
    tone[2 * frame + 1] = static_cast<int16_t>(
        std::lround(rightAmplitude * std::sin(2 * std::numbers::pi * rightHz * t)));
  }
  return tone;
}

QString Readout(const char* prefix, const char* whole, const char* hundredths) {
  return QString::fromLatin1(prefix) + QString::fromLatin1(whole) + QLocale().decimalPoint() +
         QString::fromLatin1(hundredths) + QStringLiteral(" dB");
}

// The longest run of frames silent in both rows.
size_t SilentStretch(const std::vector<int16_t>& left, const std::vector<int16_t>& right) {
  size_t longest = 0, run = 0;
  for (size_t i = 0; i < 2048; ++i) {
    run = left[i] == 0 && right[i] == 0 ? run + 1 : 0;
    longest = std::max(longest, run);
  }
  return longest;
}

TEST(CaptureWindow, ToneArrivesInItsRowsWithItsPeaksAndReadouts) {
  QFile::remove(SettingsFile());
  ClearMessages();
  AudioWindow w;
  w.keepSamples = true;
  w.show();
  w.ShowLevels->SetChecked(true);
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 3; }, 3000));
  ASSERT_TRUE(Messages().empty());
  const size_t before = w.blocks.size();

  // Half and an eighth of full scale; both tones reach their peak on a sample.
  constexpr int kLeft = 16384, kRight = 4096;
  SinkPlayer player;
  ASSERT_TRUE(player.Start(StereoTone(2.0, kLeft, 1000, kRight, 3000)));
  ASSERT_TRUE(WaitFor([&] { return !player.Running(); }, 10000));
  ASSERT_TRUE(player.Succeeded());
  ProcessEvents(300);

  std::vector<size_t> tone;
  for (size_t i = before; i < w.blocks.size(); ++i)
    if (w.blocks[i].peakL > 0 || w.blocks[i].peakR > 0) tone.push_back(i);
  ASSERT_GE(tone.size(), 45u);
  EXPECT_EQ(tone.back() - tone.front() + 1, tone.size()) << "the tone's blocks are consecutive";

  // Away from the tone's first and last blocks every block carries it whole.
  // A test server without real-time priority may miss a cycle of its graph on
  // a busy machine: the sink then plays a stretch of silence. That block is
  // told apart from one of ours, which the window hears of as lost input.
  int lowL = 32767, highL = 0, lowR = 32767, highR = 0;
  int missedCycles = 0;
  for (size_t k = 2; k + 2 < tone.size(); ++k) {
    const HandledBlock& block = w.blocks[tone[k]];
    EXPECT_FALSE(block.gap) << "block " << k;
    if (!block.gap && SilentStretch(block.left, block.right) >= 64) {
      ++missedCycles;
      continue;
    }
    lowL = std::min(lowL, block.peakL);
    highL = std::max(highL, block.peakL);
    lowR = std::min(lowR, block.peakR);
    highR = std::max(highR, block.peakR);
    EXPECT_NEAR(block.peakL, kLeft, 2) << "block " << k;
    EXPECT_NEAR(block.peakR, kRight, 2) << "block " << k;
    // 1 kHz changes sign 2048 / 24 = 85.3 times a block, 3 kHz 256 times.
    EXPECT_NEAR(ZeroCrossings(std::span(block.left).first(2048)), 85.3, 2)
        << "left row, block " << k;
    EXPECT_NEAR(ZeroCrossings(std::span(block.right).first(2048)), 256, 2)
        << "right row, block " << k;
    EXPECT_EQ(block.left[2048], 0);
    EXPECT_EQ(block.right[2048], 0);
    EXPECT_EQ(block.llevel, Readout("L : ", "-6", "02")) << "block " << k;
    EXPECT_EQ(block.rlevel, Readout("R : ", "-18", "06")) << "block " << k;
  }
  std::printf("[ figures  ] %zu tone blocks; peak L %d..%d (played %d), R %d..%d (played %d); "
              "%d cycles the test server missed\n",
              tone.size(), lowL, highL, kLeft, lowR, highR, kRight, missedCycles);
  EXPECT_LE(missedCycles, 1);
  EXPECT_EQ(w.lostFrames, 0u);

  const HandledBlock& after = w.blocks.back();
  EXPECT_EQ(after.peakL, 0);
  EXPECT_EQ(after.peakR, 0);
  EXPECT_EQ(after.llevel, Readout("L : ", "-90", "31"));
  EXPECT_EQ(after.rlevel, Readout("R : ", "-90", "31"));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(w.close());
}

TEST(CaptureWindow, StopFreezesAndStartRecordsAgainFromOneStream) {
  QFile::remove(SettingsFile());
  ClearMessages();
  AudioWindow w;
  w.show();
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 3; }, 3000));
  for (int round = 0; round < 3; ++round) {
    w.BtnStop->SetDown(true);
    w.BtnStop->Click();
    EXPECT_TRUE(w.Stopped);
    const size_t handled = w.blocks.size(), arrived = w.dataEvents;
    ProcessEvents(400);
    // No buffer is handed back: the device runs dry after the four it holds.
    EXPECT_EQ(w.blocks.size(), handled) << "round " << round;
    EXPECT_LE(w.dataEvents - arrived, 4u) << "round " << round;

    w.BtnStop->SetDown(false);
    w.BtnStop->Click();
    const size_t restarted = w.blocks.size();
    ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= restarted + 8; }, 3000))
        << "round " << round;
    ProcessEvents(200);
    // One stream delivers: its four buffers in turn, at the block rate.
    for (size_t i = restarted + 1; i < w.blocks.size(); ++i)
      EXPECT_EQ(w.blocks[i].header, (w.blocks[i - 1].header + 1) % 4) << "round " << round;
    const double seconds =
        static_cast<double>(w.blocks.back().ms - w.blocks[restarted].ms) / 1000.0;
    EXPECT_NEAR(static_cast<double>(w.blocks.size() - 1 - restarted), seconds * kBlocksPerSecond,
                2.0)
        << "round " << round;
    EXPECT_EQ(w.lostFrames, 0u) << "round " << round;
  }
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(w.close());
}

TEST(CaptureWindow, ThirtySecondsOfCaptureLoseNoBlock) {
  QFile::remove(SettingsFile());
  ClearMessages();
  AudioWindow w;
  w.show();
  // Every per-block option on: meters, level readouts, oscilloscope and both
  // channels, so whatever a block drives runs for the whole half minute.
  for (CheckBox* box : {w.Led, w.ShowLevels, w.Scope, w.RCnl, w.LCnl})
    box->SetChecked(true);
  ASSERT_TRUE(WaitFor([&] { return !w.blocks.empty(); }, 3000));
  ProcessEvents(30000);
  ASSERT_TRUE(w.Streams.Input() != nullptr);
  const uint64_t dropped = w.lostFrames;
  const std::vector<HandledBlock> blocks = w.blocks;

  const double span = static_cast<double>(blocks.back().ms - blocks.front().ms) / 1000.0;
  EXPECT_GE(span, 29.5);
  const double expected = span * kBlocksPerSecond;
  EXPECT_NEAR(static_cast<double>(blocks.size() - 1), expected, 2.0);
  // The four buffers come back in turn; a lost one would break the round.
  size_t outOfTurn = 0;
  for (size_t i = 1; i < blocks.size(); ++i)
    if (blocks[i].header != (blocks[i - 1].header + 1) % 4) ++outOfTurn;
  EXPECT_EQ(outOfTurn, 0u);
  EXPECT_EQ(dropped, 0u);
  std::printf("[ figures  ] %zu blocks in %.3f s (%.1f expected), %zu out of turn, %llu frames "
              "dropped\n",
              blocks.size(), span, expected + 1, outOfTurn,
              static_cast<unsigned long long>(dropped));
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(w.close());
}

} // namespace
