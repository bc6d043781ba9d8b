// SPDX-License-Identifier: GPL-3.0-or-later
// The main window when the sound server is missing, stalled or dies under it:
// it never hangs, says so once, sits in the stopped state, closes, and records
// again once a server is back.

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <optional>

#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include "AudioWindow.h"
#include "platform/Appearance.h"
#include "platform/Colors.h"
#include "platform/MessageBox.h"
#include "tests/support/WindowTest.h"

namespace {

// A socket nobody listens on.
const QByteArray kNoServer = "unix:" VELTRANO_WINDOW_AUDIO_SCRATCH "/no-server/native";

void ExpectStopped(const AudioWindow& w) {
  EXPECT_TRUE(w.BtnStop->Down());
  EXPECT_TRUE(w.Stopped);
  EXPECT_FALSE(w.Capture.Recording);
  EXPECT_EQ(w.Streams.Input(), nullptr);
}

void ExpectRecords(AudioWindow& w) {
  const size_t before = w.blocks.size();
  EXPECT_TRUE(WaitFor([&] { return w.blocks.size() >= before + 5; }, 3000));
  EXPECT_TRUE(w.Capture.Recording);
  EXPECT_FALSE(w.Stopped);
  EXPECT_FALSE(w.BtnStop->Down());
}

// Releases STOP as the user does.
void PressStart(AudioWindow& w) {
  w.BtnStop->SetDown(false);
  w.BtnStop->Click();
}

// With the messages cleared, START records again.
void RestartRecording(AudioWindow& w) {
  ClearMessages();
  PressStart(w);
  ExpectRecords(w);
}

// Closing a window whose server stalled or died earlier takes well under the
// server timeout.
void ExpectClosesQuickly(AudioWindow& w) {
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(w.close());
  EXPECT_LT(clock.elapsed(), 3000);
}

// Turns generator 1 on at half volume on the left channel.
void PlayGenerator(AudioWindow& w) {
  w.FrqV1->SetValue(50);
  w.LcBox0->SetChecked(true);
  w.FormActivate(&w);
  w.Frq1->SetChecked(true);
}

// A server of the test's own that every window the test makes reaches.
class WindowServer : public PrivateServer {
public:
  explicit WindowServer(const QString& name) : PrivateServer(VELTRANO_WINDOW_AUDIO_SCRATCH, name) {}

  // Starts the server, points the client at it and leaves no settings file
  // and no messages from before.
  bool StartClean() {
    if (!Start()) return false;
    env_.emplace("PULSE_SERVER", Address());
    QFile::remove(SettingsFile());
    ClearMessages();
    return true;
  }

private:
  std::optional<ScopedEnv> env_;
};

TEST(ServerLossWindow, NoServerStartsStoppedWithAWarningAndStartRecordsOnceItIsBack) {
  QFile::remove(SettingsFile());
  ClearMessages();
  std::unique_ptr<AudioWindow> w;
  {
    ScopedEnv env("PULSE_SERVER", kNoServer);
    QElapsedTimer clock;
    clock.start();
    w = std::make_unique<AudioWindow>();
    EXPECT_LT(clock.elapsed(), 3000);
    w->show();
    ProcessEvents(200);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].Text, QStringLiteral("Wrong Format. Try Again."));
    EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
    ExpectStopped(*w);
    EXPECT_TRUE(w->blocks.empty());

    // START with the server still missing says so again and leaves STOP down.
    PressStart(*w);
    ProcessEvents(200);
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_EQ(Messages()[1].Text, QStringLiteral("Wrong Format. Try Again."));
    EXPECT_TRUE(w->BtnStop->Down());
    EXPECT_EQ(w->Streams.Input(), nullptr);
  }

  RestartRecording(*w);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(w->close());
}

TEST(ServerLossWindow, StalledServerDoesNotHangTheWindow) {
  WindowServer server("stalled");
  ASSERT_TRUE(server.StartClean());

  ASSERT_TRUE(server.Signal(SIGSTOP));
  QElapsedTimer clock;
  clock.start();
  auto w = std::make_unique<AudioWindow>();
  const qint64 created = clock.elapsed();
  EXPECT_LT(created, 5000);
  w->show();
  ProcessEvents(200);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, QStringLiteral("Wrong Format. Try Again."));
  ExpectStopped(*w);
  std::printf("[ figures  ] window created against a stalled server in %lld ms\n",
              static_cast<long long>(created));

  ASSERT_TRUE(server.Signal(SIGCONT));
  RestartRecording(*w);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(w->close());
}

TEST(ServerLossWindow, ServerStalledWhileStreamingNeverFreezesTheWindow) {
  WindowServer server("stalled-late");
  ASSERT_TRUE(server.StartClean());
  AudioWindow w;
  w.show();
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 2; }, 3000));
  PlayGenerator(w);
  ASSERT_TRUE(WaitFor([&] { return ColorOf(w.GeneratorGroup) == clInfoBk; }, 3000));
  ProcessEvents(300);

  // While the server stands still the loop keeps turning: the longest pause
  // between two ticks of a 10 ms timer stays far below the server timeout.
  ASSERT_TRUE(server.Signal(SIGSTOP));
  QElapsedTimer clock;
  clock.start();
  qint64 last = 0, longest = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    longest = std::max(longest, clock.elapsed() - last);
    last = clock.elapsed();
  });
  ticker.start(10);
  ProcessEvents(500);
  w.Frq1->SetChecked(false);
  ProcessEvents(1000);
  ticker.stop();
  EXPECT_LT(longest, 500);

  clock.restart();
  EXPECT_TRUE(w.close());
  EXPECT_LT(clock.elapsed(), 3000);
  std::printf("[ figures  ] stalled server: longest pause of the event loop %lld ms, close took "
              "%lld ms\n",
              static_cast<long long>(longest), static_cast<long long>(clock.elapsed()));
  ASSERT_TRUE(server.Signal(SIGCONT));
}

// Starts a window on the server and kills the server while it records; the
// window must be stopped with exactly one warning.
void KillWhileRecording(PrivateServer& server, AudioWindow& w) {
  w.show();
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 5; }, 3000));
  ASSERT_TRUE(Messages().empty());
  ASSERT_TRUE(server.Signal(SIGKILL));
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(WaitFor([&] { return !Messages().empty() && w.Stopped; }, 3000));
  const qint64 noticed = clock.elapsed();
  const size_t handled = w.blocks.size();
  ProcessEvents(1000);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
  ExpectStopped(w);
  EXPECT_TRUE(w.Capture.InClosed);
  EXPECT_EQ(w.blocks.size(), handled);
  std::printf("[ figures  ] server loss shown %lld ms after the kill: \"%s\"\n",
              static_cast<long long>(noticed),
              qPrintable(QString(Messages()[0].Text).replace('\n', QStringLiteral(" | "))));
}

TEST(ServerLossWindow, ServerKilledWhileCapturingWarnsOnceClosesAndANewWindowRecords) {
  WindowServer server("killed");
  ASSERT_TRUE(server.StartClean());
  auto w = std::make_unique<AudioWindow>();
  ASSERT_NO_FATAL_FAILURE(KillWhileRecording(server, *w));

  ExpectClosesQuickly(*w);
  w.reset();

  ASSERT_TRUE(server.Start());
  ClearMessages();
  AudioWindow again;
  again.show();
  ExpectRecords(again);
  EXPECT_TRUE(Messages().empty());
  EXPECT_TRUE(again.close());
}

TEST(ServerLossWindow, RecordsAgainByItselfOnceAKilledServerIsBack) {
  WindowServer server("restarted");
  ASSERT_TRUE(server.StartClean());
  AudioWindow w;
  ASSERT_NO_FATAL_FAILURE(KillWhileRecording(server, w));

  // The window presses START itself once the server answers; a START of the
  // test's own would race it and could press STOP again.
  ClearMessages();
  ASSERT_TRUE(server.Start());
  ExpectRecords(w);
  EXPECT_TRUE(Messages().empty());
  ExpectClosesQuickly(w);
}

TEST(ServerLossWindow, ServerKilledWhileTheGeneratorPlaysLetsTheOutputGoAndItPlaysAgain) {
  constexpr int kAmplitude = 50 * 32767 / 100;
  WindowServer server("generator");
  ASSERT_TRUE(server.StartClean());
  AudioWindow w;
  w.show();
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 2; }, 3000));
  w.FrqG1->SetValue(997);
  PlayGenerator(w);
  ASSERT_TRUE(
      WaitFor([&] { return !w.blocks.empty() && w.blocks.back().peakL == kAmplitude; }, 3000));

  ASSERT_TRUE(server.Signal(SIGKILL));
  EXPECT_TRUE(WaitFor([&] { return w.Stopped && ColorOf(w.GeneratorGroup) == clBtnFace; }, 3000));
  ProcessEvents(1000);
  // One warning, for both streams.
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
  EXPECT_TRUE(Messages()[0].Text.startsWith(
      QStringLiteral("The audio input and the generator's output were lost")))
      << qPrintable(Messages()[0].Text);
  ExpectStopped(w);
  EXPECT_EQ(w.Streams.Output(), nullptr);
  EXPECT_TRUE(w.Playback.OutIdle);

  // With the server back, the window records again by itself (a START of the
  // test's own would race it) and a click on the generator plays.
  ClearMessages();
  ASSERT_TRUE(server.Start());
  ExpectRecords(w);
  w.Frq1->SetChecked(false);
  w.Frq1->SetChecked(true);
  EXPECT_TRUE(WaitFor([&] { return w.blocks.back().peakL == kAmplitude; }, 3000));
  EXPECT_EQ(ColorOf(w.GeneratorGroup), clInfoBk);
  EXPECT_TRUE(Messages().empty());
  w.Frq1->SetChecked(false);
  EXPECT_TRUE(WaitFor([&] { return ColorOf(w.GeneratorGroup) == clBtnFace; }, 2000));
  EXPECT_TRUE(w.close());
}

// A bench left running overnight: the loss warning stays open across a kill
// and a restart of the server, and the input records again within 2 s of the
// server answering, without the box being touched. A second loss while it is
// open shows no second box.
TEST(ServerLossWindow, RecordsAgainWhileTheLossWarningIsStillOpen) {
  WindowServer server("box-open");
  ASSERT_TRUE(server.StartClean());
  AudioWindow w;
  w.show();
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 3; }, 3000));
  int boxes = 0;
  bool flowed = false, again = false;
  qint64 back = -1;
  // The box's own loop, as long as it is open: the server comes back, goes
  // away again, and comes back once more.
  SetMessageBoxHook([&](const QString&, const QString&) {
    if (++boxes > 1) return;
    ProcessEvents(300);
    if (!server.Start()) return;
    QElapsedTimer clock;
    clock.start();
    size_t before = w.blocks.size();
    flowed = WaitFor([&] { return w.blocks.size() >= before + 3; }, 2000);
    back = clock.elapsed();
    if (!server.Signal(SIGKILL)) return;
    ProcessEvents(1000);
    if (!server.Start()) return;
    before = w.blocks.size();
    again = WaitFor([&] { return w.blocks.size() >= before + 3; }, 3000);
  });
  ASSERT_TRUE(server.Signal(SIGKILL));
  const bool shown = WaitFor([&] { return boxes > 0; }, 5000);
  RecordMessages();
  ASSERT_TRUE(shown);
  EXPECT_TRUE(flowed);
  EXPECT_TRUE(again);
  EXPECT_EQ(boxes, 1);
  std::printf("[ figures  ] with the loss warning open, blocks flowed %lld ms after the server "
              "answered\n",
              static_cast<long long>(back));
  ExpectRecords(w);
  ExpectClosesQuickly(w);
}

} // namespace
