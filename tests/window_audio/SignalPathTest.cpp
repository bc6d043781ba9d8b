// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop does to the signal between the card and the numbers: a
// volume the server remembers never reaches a reading, every change of the
// path is marked in the title bar and unmarked when undone, and the streams
// come back by themselves with the server.

#include <csignal>
#include <cstdio>

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QElapsedTimer>
#include <QMenu>
#include <QRegularExpression>
#include <QTimer>

#include "AudioWindow.h"
#include "platform/Appearance.h"
#include "tests/support/WindowTest.h"

namespace {

// The generator's first sine at `level` % on the left channel.
void PlayTone(AudioWindow& w, int level) {
  w.FrqG1->SetValue(997);
  w.FrqV1->SetValue(level);
  w.LcBox0->SetChecked(true);
  w.FormActivate(&w);
  w.Frq1->SetChecked(true);
}

TEST(SignalPath, VolumesTheServerRemembersDoNotReachTheFirstReading) {
  QFile::remove(SettingsFile());
  ClearMessages();
  {
    // An earlier run whose streams the user turned down to 50 % and muted.
    AudioWindow w;
    w.show();
    PlayTone(w, 25);
    ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").size() == 1; }, 3000));
    const QString input = ClientStreams("source-outputs").value(0);
    const QString output = ClientStreams("sink-inputs").value(0);
    Pactl({"set-source-output-volume", input, "50%"});
    Pactl({"set-sink-input-volume", output, "50%"});
    Pactl({"set-source-output-mute", input, "1"});
    ProcessEvents(300);
    ASSERT_TRUE(w.close());
  }
  AudioWindow w;
  w.show();
  w.ShowLevels->SetChecked(true);
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() >= 2; }, 3000));
  const size_t before = w.blocks.size();
  PlayTone(w, 25);
  ASSERT_TRUE(WaitFor([&] { return w.blocks.size() > before + 20; }, 3000));
  size_t first = before;
  while (first < w.blocks.size() && w.blocks[first].peakL == 0)
    ++first;
  ASSERT_LT(first + 6, w.blocks.size());
  // The tone's first whole blocks: -12.04 dBFS, as played.
  for (size_t i = first + 1; i <= first + 5; ++i) {
    EXPECT_EQ(w.blocks[i].peakL, 25 * 32767 / 100) << "block " << i - first;
    EXPECT_TRUE(w.blocks[i].llevel.contains(QStringLiteral("-12")))
        << qPrintable(w.blocks[i].llevel);
  }
  EXPECT_TRUE(w.close());
}

// The sample format the server gives a sink ("s16le 2ch 48000Hz").
QString SinkFormat(const QString& name) {
  for (const QString& line : Pactl({"list", "short", "sinks"}).split('\n'))
    if (const QStringList columns = line.split('\t'); columns.value(1) == name) return columns[3];
  return {};
}

// Tests that add and remove devices do it on a server of their own, so the
// next test meets the shared server as it started.
TEST(SignalPath, EachChangeIsMarkedInTheTitleWithinASecondAndUnmarkedWhenUndone) {
  PrivateServer server(VELTRANO_WINDOW_AUDIO_SCRATCH, "marks");
  ASSERT_TRUE(server.Start());
  ScopedEnv env("PULSE_SERVER", server.Address());
  // PulseAudio moves an idle sink to the stream's rate and PipeWire mixes in
  // float whatever it is asked for, so each server gets the device it keeps.
  Pactl({"load-module", "module-null-sink", "sink_name=veltrano_44k", "rate=44100"});
  Pactl({"load-module", "module-null-sink", "sink_name=veltrano_8bit", "format=u8"});
  AudioWindow w;
  w.show();
  PlayTone(w, 25);
  ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").size() == 1; }, 3000));
  ProcessEvents(300);
  ASSERT_EQ(w.windowTitle(), QStringLiteral("Veltrano"));
  const QString input = ClientStreams("source-outputs").value(0);
  const QString output = ClientStreams("sink-inputs").value(0);
  const struct {
    QStringList mark, undo;
    const char* shown;
  } changes[] = {
      {{"set-source-output-volume", input, "50%"},
       {"set-source-output-volume", input, "100%"},
       "input at 50 %"},
      {{"set-source-output-mute", input, "1"},
       {"set-source-output-mute", input, "0"},
       "input muted"},
      {{"set-sink-input-volume", output, "50%"},
       {"set-sink-input-volume", output, "100%"},
       "output at 50 %"},
      {{"set-source-volume", "veltrano_test.monitor", "80%"},
       {"set-source-volume", "veltrano_test.monitor", "100%"},
       "input device at 80 %"},
      {{"set-sink-mute", "veltrano_test", "1"},
       {"set-sink-mute", "veltrano_test", "0"},
       "output device muted"},
      {{"move-sink-input", output, "veltrano_44k"},
       {"move-sink-input", output, "veltrano_test"},
       "output device at 44100 Hz"},
      {{"move-sink-input", output, "veltrano_8bit"},
       {"move-sink-input", output, "veltrano_test"},
       "output device at 8 bits"},
  };
  // Moves come from a mixer that stays, as on a desktop.
  Mixer mixer;
  const auto ask = [&](const QStringList& command) {
    if (command[0] == "move-sink-input")
      EXPECT_TRUE(mixer.MoveSinkInput(command[1], command[2])) << qPrintable(command.join(' '));
    else
      Pactl(command);
  };
  int deviceFormats = 0;
  for (const auto& change : changes) {
    QElapsedTimer clock;
    clock.start();
    ask(change.mark);
    const QString format = change.mark[0] == "move-sink-input" ? SinkFormat(change.mark[2]) : "";
    if (format.startsWith("float32le 2ch 48000") || format.startsWith("s16le 2ch 48000")) {
      // Converted without loss: no mark.
      ProcessEvents(300);
      EXPECT_EQ(w.windowTitle(), QStringLiteral("Veltrano")) << qPrintable(format);
    } else {
      deviceFormats += !format.isEmpty();
      EXPECT_TRUE(WaitFor([&] { return w.windowTitle().contains(change.shown); }, 1000))
          << change.shown << ": " << qPrintable(w.windowTitle());
      std::printf("[ figures  ] \"%s\" marked after %lld ms\n", change.shown,
                  static_cast<long long>(clock.elapsed()));
    }
    // PipeWire's session manager takes its time over a move.
    ask(change.undo);
    EXPECT_TRUE(WaitFor([&] { return w.windowTitle() == "Veltrano"; }, 3000))
        << change.shown << ": " << qPrintable(w.windowTitle());
  }
  EXPECT_EQ(deviceFormats, 1) << "one of the two sinks differs from the stream";
  EXPECT_TRUE(w.close());
}

// The name of the device a client's stream of a kind ("sink-inputs",
// "source-outputs") is on.
QString DeviceOf(const QString& kind) {
  QString index;
  for (const QString& line : Pactl({"list", "short", kind}).split('\n', Qt::SkipEmptyParts))
    if (line.section('\t', 2, 2) != "-") index = line.section('\t', 1, 1);
  const QString devices = kind == "sink-inputs" ? "sinks" : "sources";
  for (const QString& line : Pactl({"list", "short", devices}).split('\n'))
    if (line.section('\t', 0, 0) == index) return line.section('\t', 1, 1);
  return {};
}

// What a right-click on the LED meters offers ("*" before the checked items),
// after choosing the item `pick`, if given.
QStringList DeviceMenu(AudioWindow& w, const QString& pick = {}) {
  QStringList items;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (menu == nullptr) return;
    for (QAction* action : menu->actions())
      items << (action->isChecked() ? "*" : "") + action->text();
    for (QAction* action : menu->actions())
      if (action->text() == pick) action->trigger();
    menu->close();
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, {3, 3},
                          w.PeakLedDisplay1->mapToGlobal(QPoint(3, 3)));
  QApplication::sendEvent(w.PeakLedDisplay1, &click);
  return items;
}

TEST(SignalPath, DevicesChosenOnTheMetersMenuMoveTheStreamsAndAreRememberedOrFallBackOnce) {
  PrivateServer server(VELTRANO_WINDOW_AUDIO_SCRATCH, "devices");
  ASSERT_TRUE(server.Start());
  ScopedEnv env("PULSE_SERVER", server.Address());
  const QString module = Pactl({"load-module", "module-null-sink", "sink_name=veltrano_other",
                                "sink_properties=device.description=Other"})
                             .trimmed();
  QFile::remove(SettingsFile());
  {
    AudioWindow w;
    w.show();
    PlayTone(w, 25);
    ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").size() == 1; }, 3000))
        << qPrintable(ServerReport());
    // The devices the streams are on are checked.
    const QStringList before = DeviceMenu(w);
    EXPECT_EQ(before.filter(QRegularExpression("^(\\*.*|Input|Output|Other|Monitor of Other)$")),
              QStringList({"Input", "*Monitor of veltrano_test", "Monitor of Other", "Output",
                           "*veltrano_test", "Other"}))
        << qPrintable(before.join('|'));
    const struct {
      const char *pick, *kind, *device, *told;
    } choices[] = {
        {"Other", "sink-inputs", "veltrano_other", "output now goes to the sink 'veltrano_other'"},
        {"Monitor of Other", "source-outputs", "veltrano_other.monitor",
         "input now comes from the source 'veltrano_other.monitor'"},
    };
    for (const auto& choice : choices) {
      testing::internal::CaptureStderr();
      DeviceMenu(w, choice.pick);
      EXPECT_TRUE(WaitFor([&] { return DeviceOf(choice.kind) == choice.device; }, 3000))
          << choice.pick << ": " << qPrintable(DeviceOf(choice.kind));
      ProcessEvents(300);
      const std::string told = testing::internal::GetCapturedStderr();
      EXPECT_NE(told.find(choice.told), std::string::npos) << told;
    }
    const QStringList after = DeviceMenu(w);
    EXPECT_EQ(after.filter(QRegularExpression("^\\*")),
              QStringList({"*Monitor of Other", "*Other"}))
        << qPrintable(after.join('|'));
    // Moved elsewhere by the desktop, the stream's device is checked: the
    // menu tells where the sound goes, not what was chosen.
    Pactl({"move-sink-input", ClientStreams("sink-inputs").value(0), "veltrano_test"});
    ASSERT_TRUE(WaitFor([&] { return DeviceOf("sink-inputs") == "veltrano_test"; }, 3000));
    const QStringList moved = DeviceMenu(w);
    EXPECT_EQ(moved.filter(QRegularExpression("^\\*")),
              QStringList({"*Monitor of Other", "*veltrano_test"}))
        << qPrintable(moved.join('|'));
    ASSERT_TRUE(w.close());
  }
  QFile file(SettingsFile());
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray saved = file.readAll();
  EXPECT_TRUE(saved.contains("InDevice=veltrano_other.monitor\n")) << saved.constData();
  EXPECT_TRUE(saved.contains("OutDevice=veltrano_other\n")) << saved.constData();

  // Gone by the next run: the defaults, one line each however often a stream opens.
  Pactl({"unload-module", module});
  testing::internal::CaptureStderr();
  {
    AudioWindow w;
    w.show();
    for (int i = 0; i < 2; ++i) {
      PlayTone(w, 25);
      ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").size() == 1; }, 3000));
      w.Frq1->SetChecked(false);
      ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").empty(); }, 3000));
    }
    PlayTone(w, 25);
    ASSERT_TRUE(WaitFor([&] { return ClientStreams("sink-inputs").size() == 1; }, 3000));
    EXPECT_EQ(DeviceOf("sink-inputs") + ' ' + DeviceOf("source-outputs"),
              QStringLiteral("veltrano_test veltrano_test.monitor"));
    EXPECT_TRUE(w.close());
  }
  const QString told = QString::fromStdString(testing::internal::GetCapturedStderr());
  EXPECT_EQ(told.count("is not there; the server's default is used\n"), 2) << qPrintable(told);
  EXPECT_EQ(told.count("veltrano: the sink 'veltrano_other' is not there"), 1) << qPrintable(told);
  EXPECT_EQ(told.count("veltrano: the source 'veltrano_other.monitor' is not there"), 1)
      << qPrintable(told);
}

// Capture is flowing: blocks handled after `since`.
bool Flowing(AudioWindow& w, size_t since) {
  return WaitFor([&] { return w.blocks.size() > since + 2; }, 3000);
}

TEST(SignalPath, StreamsComeBackByThemselvesAfterTheServerIsKilledOrFrozen) {
  PrivateServer server(VELTRANO_WINDOW_AUDIO_SCRATCH, "back");
  ASSERT_TRUE(server.Start());
  ScopedEnv env("PULSE_SERVER", server.Address());
  ClearMessages();
  AudioWindow w;
  w.show();
  PlayTone(w, 25);
  ASSERT_TRUE(Flowing(w, 0));
  for (int run = 1; run <= 5; ++run) {
    ASSERT_TRUE(server.Signal(SIGKILL));
    ASSERT_TRUE(WaitFor([&] { return w.Stopped && ColorOf(w.GeneratorGroup) == clBtnFace; }, 3000));
    ASSERT_TRUE(server.Start());
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(Flowing(w, w.blocks.size())) << "run " << run;
    const qint64 killed = clock.elapsed();
    EXPECT_TRUE(WaitFor([&] { return ColorOf(w.GeneratorGroup) == clInfoBk; }, 3000));
    EXPECT_FALSE(w.BtnStop->Down());

    ASSERT_TRUE(server.Signal(SIGSTOP));
    ProcessEvents(500);
    ASSERT_TRUE(server.Signal(SIGCONT));
    clock.restart();
    ASSERT_TRUE(Flowing(w, w.blocks.size())) << "run " << run;
    std::printf("[ figures  ] run %d: blocks flow %lld ms after the restart of a killed server, "
                "%lld ms after a frozen one resumed\n",
                run, static_cast<long long>(killed), static_cast<long long>(clock.elapsed()));
  }
  EXPECT_EQ(Messages().size(), 5u) << "one warning per loss";

  // A STOP the user pressed stays pressed.
  w.BtnStop->SetDown(true);
  w.BtnStop->Click();
  ASSERT_TRUE(server.Signal(SIGKILL));
  ASSERT_TRUE(WaitFor([&] { return w.Streams.Input() == nullptr; }, 3000));
  ASSERT_TRUE(server.Start());
  EXPECT_TRUE(WaitFor([&] { return ColorOf(w.GeneratorGroup) == clInfoBk; }, 3000));
  EXPECT_TRUE(w.BtnStop->Down());
  EXPECT_EQ(w.Streams.Input(), nullptr);
  EXPECT_TRUE(w.close());
}

} // namespace
