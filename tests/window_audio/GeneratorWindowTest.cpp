// SPDX-License-Identifier: GPL-3.0-or-later
// The generator on the private server: the null sink's monitor is recorded
// with parecord and measured (frequency, peak, the right channel's lead, phase
// continuity across buffers, the sweep's sequence), the stop is timed with the
// window's own capture of the same monitor, and a missing server is reported
// and can be retried.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <numbers>

#include <QFile>

#include "AudioWindow.h"
#include "ToneAnalysis.h"
#include "platform/Appearance.h"
#include "platform/Colors.h"
#include "tests/support/WindowTest.h"

namespace {

// The level edit of a sounding source.
constexpr TColor kPaleBlue = 0x00FFEAD5;

// The frequency a tone really has: its phase step is a whole number of 2^-30
// turns per interleaved sample, 96000 samples a second.
double PlayedFrequency(double hz) {
  const double turn = std::ldexp(1.0, 30);
  return std::round(turn * hz / 96000) * 96000 / turn;
}

// A source's amplitude at a level in percent.
int Amplitude(int level) {
  return level * 32767 / 100;
}

bool OutputClosed(const AudioWindow& w) {
  return ColorOf(w.GeneratorGroup) == clBtnFace && w.Playback.OutIdle &&
         w.Streams.Output() == nullptr;
}

// A window recording with a fresh settings file, its capture running.
std::unique_ptr<AudioWindow> StartWindow() {
  QFile::remove(SettingsFile());
  ClearMessages();
  auto w = std::make_unique<AudioWindow>();
  w->show();
  EXPECT_TRUE(WaitFor([&] { return w->blocks.size() >= 2; }, 3000));
  return w;
}

TEST(GeneratorWindow, ToneHasItsFrequencyPeakAndLeadAndStopsWithinABuffer) {
  constexpr int kLevel = 50;
  // Not a divisor of 48000: the sampled phases drift over the whole turn, so
  // both channels meet the table's peak.
  constexpr double kHz = 997;
  const int amplitude = Amplitude(kLevel);
  auto w = StartWindow();
  w->FrqG1->SetValue(static_cast<int>(kHz));
  w->FrqV1->SetValue(kLevel);
  w->LcBox0->SetChecked(true);
  w->RcBox0->SetChecked(true);
  w->FormActivate(w.get());
  MonitorRecorder recorder;
  ASSERT_TRUE(recorder.Start());
  ProcessEvents(300);

  w->Frq1->SetChecked(true);
  ProcessEvents(2500);
  EXPECT_EQ(ColorOf(w->GeneratorGroup), clInfoBk);
  EXPECT_EQ(ColorOf(w->FrqV1), kPaleBlue);
  const size_t atClick = w->blocks.size();
  const qint64 click = w->Elapsed();
  w->Frq1->SetChecked(false);
  EXPECT_TRUE(WaitFor([&] { return OutputClosed(*w); }, 2000));
  ProcessEvents(500);
  const Recording recording = recorder.Stop();
  EXPECT_TRUE(Messages().empty());

  // The window heard the tone, then silence from some block on.
  const std::vector<HandledBlock>& blocks = w->blocks;
  int heard = 0;
  for (size_t i = 0; i < atClick; ++i)
    heard = std::max(heard, blocks[i].peakL);
  EXPECT_NEAR(heard, amplitude, 1);
  size_t silent = blocks.size();
  while (silent > atClick && blocks[silent - 1].peakL == 0 && blocks[silent - 1].peakR == 0)
    --silent;
  ASSERT_LT(silent + 5, blocks.size()) << "the output did not fall silent";
  const qint64 silenceDelay = blocks[silent].ms - click;
  // The first buffer back after the click flushes the one still playing: at
  // most a buffer (250 ms), what the device already holds (a block) and a
  // capture block.
  EXPECT_LE(silenceDelay, 400);

  // The recorded tone, away from its first and last 100 ms.
  const auto [first, end] = SoundingSpan(recording);
  ASSERT_GT(end - first, static_cast<size_t>(1.8 * kFrameRate));
  const size_t from = first + 4800, to = end - 4800;
  const double expected = PlayedFrequency(kHz);
  double hz[2] = {}, deviation[2] = {}, residual[2] = {}, phase[2] = {}, fitted[2] = {};
  for (int channel = 0; channel < 2; ++channel) {
    const auto [high, low] = Extremes(recording, channel, from, to);
    EXPECT_NEAR(high, amplitude, 1) << "channel " << channel;
    EXPECT_NEAR(low, -amplitude, 1) << "channel " << channel;
    const double rough = CrossingFrequency(UpwardCrossings(recording, channel, from, to));
    const PhaseTrack track = TrackPhase(recording, channel, from, to, rough, 4800);
    const SineFit fit = FitSine(recording, channel, from, to, track.hz);
    hz[channel] = track.hz;
    deviation[channel] = track.maxDeviation;
    residual[channel] = fit.maxResidual;
    phase[channel] = fit.phase;
    fitted[channel] = fit.amplitude;
    EXPECT_NEAR(track.hz, expected, 0.01) << "channel " << channel;
    // One lost or repeated frame would step the phase by 0.13 rad.
    EXPECT_LT(track.maxDeviation, 0.01) << "channel " << channel;
    EXPECT_LT(fit.maxResidual, 50) << "channel " << channel;
    EXPECT_NEAR(fit.amplitude, amplitude, 1) << "channel " << channel;
  }
  const double lead = WrapPhase(phase[1] - phase[0]);
  const double expectedLead = 2 * std::numbers::pi * kHz / 96000;
  EXPECT_NEAR(lead, expectedLead, 0.002);
  std::printf("[ figures  ] %.2f s of tone; f %.6f / %.6f Hz (expected %.6f, error %.1e / %.1e); "
              "peak %d, fitted %.2f "
              "/ %.2f; phase "
              "deviation %.5f / %.5f rad; max residual %.1f / %.1f; lead %.4f deg (expected %.4f); "
              "silent %lld ms after the click\n",
              static_cast<double>(end - first) / kFrameRate, hz[0], hz[1], expected,
              hz[0] - expected, hz[1] - expected, amplitude, fitted[0], fitted[1], deviation[0],
              deviation[1], residual[0], residual[1], lead * 180 / std::numbers::pi,
              expectedLead * 180 / std::numbers::pi, static_cast<long long>(silenceDelay));
  EXPECT_TRUE(w->close());
}

TEST(GeneratorWindow, SweepPlaysItsSequenceBufferByBuffer) {
  constexpr int kLevel = 40;
  const int amplitude = Amplitude(kLevel);
  auto w = StartWindow();
  w->FrqFrom->SetValue(1000);
  w->FrqTo->SetValue(1400);
  w->FInc->SetValue(100);
  w->FrqVF->SetValue(kLevel);
  w->LcBox3->SetChecked(true);
  w->FormActivate(w.get());
  MonitorRecorder recorder;
  ASSERT_TRUE(recorder.Start());
  ProcessEvents(300);

  w->AutoG->SetChecked(true);
  ProcessEvents(3300);
  w->AutoG->SetChecked(false);
  EXPECT_TRUE(WaitFor([&] { return OutputClosed(*w); }, 2000));
  ProcessEvents(300);
  const Recording recording = recorder.Stop();
  EXPECT_TRUE(Messages().empty());

  const auto [first, end] = SoundingSpan(recording);
  ASSERT_GT(end - first, static_cast<size_t>(2.5 * kFrameRate));
  EXPECT_EQ(Extremes(recording, 1, 0, recording.size() / 2), std::make_pair(0, 0))
      << "the sweep is routed to the left only";

  // Each 12000-frame buffer plays one frequency: the period changes only on
  // a grid of 12000 frames.
  const std::vector<double> crossings = UpwardCrossings(recording, 0, first + 480, end - 480);
  const std::vector<double> changes = PeriodChanges(crossings, 0.02);
  ASSERT_GE(changes.size(), 8u);
  const double grid = changes.front();
  for (const double change : changes) {
    const double buffers = std::round((change - grid) / 12000);
    EXPECT_NEAR(change - grid, buffers * 12000, 100) << "change at frame " << change;
  }

  // Rising on 1000 + k x 100, turning at the top, falling on 1401 - k x 100.
  const double sequence[] = {1100, 1200, 1300, 1400, 1301, 1201, 1101,
                             1001, 1000, 1100, 1200, 1300, 1400, 1301};
  struct Stretch {
    size_t buffer;
    double hz, phase;
  };
  std::vector<Stretch> stretches;
  double worst = 0;
  for (size_t k = 0; k < std::size(sequence); ++k) {
    const double start = grid + (static_cast<double>(k) - 1) * 12000;
    const auto from = static_cast<size_t>(start + 1200), to = static_cast<size_t>(start + 10800);
    if (start + 1200 < static_cast<double>(first)) continue;
    if (to > end - 480) break;
    const double hz = CrossingFrequency(UpwardCrossings(recording, 0, from, to));
    const SineFit fit = FitSine(recording, 0, from, to, hz);
    EXPECT_NEAR(hz, PlayedFrequency(sequence[k]), 0.01) << "buffer " << k;
    // 1000 and 1200 Hz divide the frame rate and may never sample the very
    // top, so the level is judged by the fitted amplitude.
    EXPECT_NEAR(fit.amplitude, amplitude, 1) << "buffer " << k;
    worst = std::max(worst, std::abs(hz - PlayedFrequency(sequence[k])));
    stretches.push_back({k, hz, fit.phase});
  }
  EXPECT_GE(stretches.size(), 10u);

  // The phase carries on across each change of frequency: the phase lines of
  // two neighbouring buffers meet where the second begins, and those starts lie
  // exactly 12000 frames apart. (A step of 1 Hz leaves the meeting point too
  // loosely defined to be used.)
  double lowest = 1e300, highest = -1e300;
  for (size_t i = 0; i + 1 < stretches.size(); ++i) {
    const Stretch& a = stretches[i];
    const Stretch& b = stretches[i + 1];
    if (b.buffer != a.buffer + 1 || std::abs(b.hz - a.hz) < 50) continue;
    const double omegaA = 2 * std::numbers::pi * a.hz / kFrameRate;
    const double omegaB = 2 * std::numbers::pi * b.hz / kFrameRate;
    const double near = grid + static_cast<double>(a.buffer) * 12000;
    const double turns =
        std::round((near * (omegaA - omegaB) - (b.phase - a.phase)) / (2 * std::numbers::pi));
    const double meet = (b.phase - a.phase + 2 * std::numbers::pi * turns) / (omegaA - omegaB);
    const double offset = meet - static_cast<double>(a.buffer) * 12000;
    lowest = std::min(lowest, offset);
    highest = std::max(highest, offset);
  }
  ASSERT_LE(lowest, highest) << "no change of frequency to judge";
  EXPECT_LT(highest - lowest, 0.5)
      << "buffer starts off the 12000-frame grid by up to " << highest - lowest << " frames";
  std::printf("[ figures  ] sweep: %zu buffers measured, worst frequency error %.6f Hz, %zu "
              "period changes on the 12000-frame grid; buffer starts from phase continuity "
              "within %.3f frames of a 12000-frame grid\n",
              stretches.size(), worst, changes.size(), highest - lowest);
  EXPECT_TRUE(w->close());
}

TEST(GeneratorWindow, NoServerWarnsOnOpenAndARetryAfterActivationPlays) {
  constexpr int kLevel = 50;
  QFile::remove(SettingsFile());
  ClearMessages();
  std::unique_ptr<AudioWindow> w;
  {
    ScopedEnv env("PULSE_SERVER", "unix:" VELTRANO_WINDOW_AUDIO_SCRATCH "/no-server/native");
    w = std::make_unique<AudioWindow>();
    w->show();
    // Showing activates the window, which arms the output once.
    ProcessEvents(200);
    ASSERT_EQ(Messages().size(), 1u); // the capture's "Wrong Format. Try Again."
    ClearMessages();

    w->FrqG1->SetValue(1000);
    w->FrqV1->SetValue(kLevel);
    w->LcBox0->SetChecked(true);
    w->FormActivate(w.get());
    w->Frq1->SetChecked(true);
    ProcessEvents(200);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text,
              QStringLiteral("Can`t open audio device !\r\ndevice ID out of range"));
    EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
    EXPECT_EQ(ColorOf(w->GeneratorGroup), clBtnFace);
    EXPECT_FALSE(w->Playback.OutIdle);

    // Until the window is activated again a click does not try again.
    w->RcBox0->SetChecked(true);
    ProcessEvents(200);
    EXPECT_EQ(Messages().size(), 1u);
  }

  // The server is back: after an activation the next click opens the output,
  // now routed to the left only, and the window's capture hears it.
  ClearMessages();
  w->FormActivate(w.get());
  w->RcBox0->SetChecked(false);
  EXPECT_TRUE(WaitFor([&] { return ColorOf(w->GeneratorGroup) == clInfoBk; }, 2000));
  w->BtnStop->SetDown(false);
  w->BtnStop->Click();
  EXPECT_TRUE(WaitFor(
      [&] {
        return !w->blocks.empty() && std::abs(w->blocks.back().peakL - Amplitude(kLevel)) <= 1;
      },
      3000));
  EXPECT_EQ(w->blocks.back().peakR, 0);
  EXPECT_TRUE(Messages().empty());

  w->Frq1->SetChecked(false);
  EXPECT_TRUE(WaitFor([&] { return OutputClosed(*w); }, 2000));
  EXPECT_TRUE(w->close());
}

} // namespace
