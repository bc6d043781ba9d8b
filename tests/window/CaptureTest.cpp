// SPDX-License-Identifier: GPL-3.0-or-later
// The capture stream in the window: blocks fed by the in-process device are
// split into the sample block, measured, shown on the meters and readouts and
// handed back; failures of the device are reported and leave a usable window.

#include <map>

#include <QLocale>

#include "tests/support/DeviceWindow.h"
#include "tests/window/CaptureBlocks.h"

namespace {

const std::vector<int16_t> Silence(4096, 0);

} // namespace

TEST(Capture, ChannelsLandInTheirRowsBlockAfterBlock) {
  DeviceWindow w;
  SampleBlock& samples = w.form->Samples;
  // Two blocks with different shapes per channel, so a swap or a stale row shows.
  const std::vector<std::pair<std::function<int16_t(int)>, std::function<int16_t(int)>>> shapes = {
      {[](int f) { return static_cast<int16_t>(3 * f - 3000); },
       [](int f) { return static_cast<int16_t>(20000 - 7 * f); }},
      {[](int f) { return static_cast<int16_t>(-f); },
       [](int f) { return static_cast<int16_t>(f % 2 == 0 ? 11 : -11); }},
  };
  for (const auto& [left, right] : shapes) {
    w.Feed(MakeBlock(left, right));
    for (int f = 0; f < SampleBlock::Frames; ++f) {
      ASSERT_EQ(samples.Left()[f], left(f)) << "left frame " << f;
      ASSERT_EQ(samples.Right()[f], right(f)) << "right frame " << f;
    }
    EXPECT_EQ(samples.Left(), samples.Rows[1].data());
    EXPECT_EQ(samples.Right(), samples.Rows[0].data());
    EXPECT_EQ(samples.Rows[0][SampleBlock::Frames], 0);
    EXPECT_EQ(samples.Rows[1][SampleBlock::Frames], 0);
  }
  // Every block went back to the device.
  EXPECT_EQ(w.audio->QueuedInBuffers(), 4u);
}

TEST(Capture, PeaksAreMagnitudesWithMinus32768CountedAs32767) {
  DeviceWindow w;
  w.form->Led->SetChecked(true);

  w.Feed(MakeBlock([](int f) { return static_cast<int16_t>(f == 100 ? -32768 : 5); },
                   [](int f) {
                     return static_cast<int16_t>(f == 9 ? -1234 : f == 10 ? 1000 : 0);
                   }));
  EXPECT_EQ(w.form->Levels.PeakL, 32767);
  EXPECT_EQ(w.form->Levels.PeakR, 1234);
  EXPECT_EQ(w.form->Levels.LedL.Level, 32767);
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay1), (MeterView{83, 0}));
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay2), (MeterView{3, 0}));

  w.Feed(PeakBlock(32767, -32767));
  EXPECT_EQ(w.form->Levels.PeakL, 32767);
  EXPECT_EQ(w.form->Levels.PeakR, 32767);

  w.Feed(Silence);
  EXPECT_EQ(w.form->Levels.PeakL, 0);
  EXPECT_EQ(w.form->Levels.PeakR, 0);
}

TEST(Capture, HeldPeaksFallByAHundredPerBlock) {
  DeviceWindow w;
  w.form->Led->SetChecked(true);

  w.Feed(PeakBlock(1000, -1050));
  for (int block = 0; block <= 13; ++block) {
    if (block > 0) w.Feed(Silence);
    const int level = block == 0 ? 1000 : 0;
    const int holdL = block <= 10 ? 1000 - 100 * block : 0;
    const int holdR = block <= 10 ? 1050 - 100 * block : 0;
    EXPECT_EQ(w.form->Levels.LedL.Level, level) << "block " << block;
    EXPECT_EQ(w.form->Levels.LedL.Peak, holdL) << "block " << block;
    EXPECT_EQ(w.form->Levels.LedR.Level, block == 0 ? 1050 : 0) << "block " << block;
    EXPECT_EQ(w.form->Levels.LedR.Peak, holdR) << "block " << block;

    // 83 blocks over 0..32767: 1000 and 1050 light two, a hold of 900 or 950
    // marks block 2, 700 or 750 block 1, and 300 or 350 none.
    const std::map<int, MeterView> shown = {
        {0, {2, 0}}, {1, {0, 2}}, {3, {0, 1}}, {7, {0, 0}}, {13, {0, 0}}};
    if (const auto it = shown.find(block); it != shown.end()) {
      EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay1), it->second) << "left, block " << block;
      EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay2), it->second) << "right, block " << block;
    }
  }
}

TEST(Capture, MetersFollowTheLedSwitchAndStayPutWhileStopIsDown) {
  DeviceWindow w;
  w.form->Led->SetChecked(true);
  w.form->ShowLevels->SetChecked(true);
  w.Feed(PeakBlock(16383, 30000));
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay1), (MeterView{41, 0}));
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay2), (MeterView{75, 0}));

  // Unticked: both meters receive (0, 0) on every block, loud or not.
  w.form->Led->SetChecked(false);
  for (int block = 0; block < 2; ++block) {
    w.Feed(PeakBlock(32767, 32767));
    EXPECT_EQ(w.form->Levels.LedL.Level, 0);
    EXPECT_EQ(w.form->Levels.LedL.Peak, 0);
    EXPECT_EQ(w.form->Levels.LedR.Level, 0);
    EXPECT_EQ(w.form->Levels.LedR.Peak, 0);
    EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay1), (MeterView{0, 0}));
    EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay2), (MeterView{0, 0}));
  }

  // With the button down (set without its click) the meters and readouts are
  // left alone, although the block is still measured.
  w.form->Led->SetChecked(true);
  w.Feed(PeakBlock(16383, 30000));
  const QString rightText = w.form->Rlevel->Caption();
  w.form->BtnStop->SetDown(true);
  w.Feed(PeakBlock(100, 200));
  EXPECT_EQ(w.form->Levels.PeakL, 100);
  EXPECT_EQ(w.form->Levels.LedL.Level, 16383);
  EXPECT_EQ(w.form->Levels.LedR.Level, 30000);
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay1), (MeterView{41, 0}));
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay2), (MeterView{75, 0}));
  EXPECT_EQ(w.form->Rlevel->Caption(), rightText);
}

TEST(Capture, LevelReadoutsShowDecibelsBelowFullScale) {
  DeviceWindow w;
  w.form->ShowLevels->SetChecked(true);

  w.Feed(Silence);
  EXPECT_EQ(w.form->Rlevel->Caption(), QStringLiteral("R : -90.31 dB"));
  EXPECT_EQ(w.form->Llevel->Caption(), QStringLiteral("L : -90.31 dB"));

  // Full scale keeps its minus sign; -32768 reads as full scale, not above it.
  w.Feed(PeakBlock(0, 32767));
  EXPECT_EQ(w.form->Rlevel->Caption(), QStringLiteral("R : -0.00 dB"));
  EXPECT_EQ(w.form->Llevel->Caption(), QStringLiteral("L : -90.31 dB"));
  w.Feed(PeakBlock(-32768, 3276));
  EXPECT_EQ(w.form->Llevel->Caption(), QStringLiteral("L : -0.00 dB"));
  EXPECT_EQ(w.form->Rlevel->Caption(), QStringLiteral("R : -20.00 dB"));

  // Unticked, the readouts keep their last text.
  w.form->ShowLevels->SetChecked(false);
  w.Feed(Silence);
  EXPECT_EQ(w.form->Rlevel->Caption(), QStringLiteral("R : -20.00 dB"));
}

TEST(Capture, LevelReadoutsUseTheLocaleDecimalSeparator) {
  const QLocale saved;
  QLocale::setDefault(QLocale(QLocale::German));
  {
    DeviceWindow w;
    w.form->ShowLevels->SetChecked(true);
    w.Feed(PeakBlock(32767, 0));
    EXPECT_EQ(w.form->Rlevel->Caption(), QStringLiteral("R : -90,31 dB"));
    EXPECT_EQ(w.form->Llevel->Caption(), QStringLiteral("L : -0,00 dB"));
  }
  QLocale::setDefault(saved);
}

// Each failure while opening: its message, and the state it leaves.
struct OpenFailure {
  const char* Name;
  std::function<void(FakeWaveAudio&)> Setup;
  const char* Text;
  const char* Caption;
  bool DeviceOpen;      // the device stays open
  bool Recording;       // blocks are processed
  size_t QueuedBuffers; // buffers the device holds
};

class CaptureOpenFailure : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(CaptureOpenFailure, IsReportedOnceAndStartRecoversFromIt) {
  const OpenFailure& failure = GetParam();
  DeviceWindow w(failure.Setup);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, QString::fromLatin1(failure.Text));
  EXPECT_EQ(Messages()[0].Caption, QString::fromLatin1(failure.Caption));
  EXPECT_EQ(w.audio->InOpen(), failure.DeviceOpen);
  EXPECT_EQ(w.form->Streams.Input() != nullptr, failure.DeviceOpen);
  EXPECT_EQ(w.form->Capture.Recording, failure.Recording);
  EXPECT_EQ(w.audio->QueuedInBuffers(), failure.QueuedBuffers);
  EXPECT_FALSE(w.form->BtnStop->Down());

  // Once the device behaves, STOP and START record again from a fresh stream.
  FakeWaveAudio& device = *w.audio;
  device.DeviceQueryResult = device.InOpenResult = device.InPrepareResult = device.InAddResult =
      device.InStartResult = 0;
  w.form->BtnStop->click();
  w.form->BtnStop->click();
  EXPECT_TRUE(w.form->Capture.Recording);
  EXPECT_EQ(device.InOpensWhileOpen, 0);
  EXPECT_EQ(device.QueuedInBuffers(), 4u);
  w.Feed(PeakBlock(0, 77));
  EXPECT_EQ(w.form->Levels.PeakR, 77);

  // The stream is closed at shutdown, and nothing holds the window.
  EXPECT_TRUE(w.form->close());
  EXPECT_FALSE(w.audio->InOpen());
  EXPECT_EQ(Messages().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Window, CaptureOpenFailure,
    ::testing::Values(
        OpenFailure{"DeviceQuery", [](FakeWaveAudio& a) { a.DeviceQueryResult = WAVERR_BADFORMAT; },
                    "Record format not supported.", "Warning", false, false, 0},
        OpenFailure{"Open", [](FakeWaveAudio& a) { a.InOpenResult = MMSYSERR_BADDEVICEID; },
                    "Cannot open audio device.", "Warning", false, false, 0},
        OpenFailure{"Prepare", [](FakeWaveAudio& a) { a.InPrepareResult = MMSYSERR_NOMEM; },
                    "WaveInPrepareHeader.", "Error", true, false, 0},
        OpenFailure{"Add", [](FakeWaveAudio& a) { a.InAddResult = MMSYSERR_INVALHANDLE; },
                    "WaveInAddBuffer.", "Error", true, false, 0},
        OpenFailure{"Start", [](FakeWaveAudio& a) { a.InStartResult = MMSYSERR_ERROR; },
                    "WaveInStart.", "Error", true, true, 4}),
    [](const ::testing::TestParamInfo<OpenFailure>& info) { return info.param.Name; });

TEST(Capture, FailedFormatQueryLeavesTheWindowStoppedUntilStart) {
  DeviceWindow w([](FakeWaveAudio& a) { a.MappedQueryResult = WAVERR_BADFORMAT; });
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, QStringLiteral("Wrong Format. Try Again."));
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
  EXPECT_EQ(w.audio->InOpens, 0);
  EXPECT_EQ(w.form->Streams.Input(), nullptr);
  EXPECT_TRUE(w.form->BtnStop->Down());
  EXPECT_TRUE(w.form->Stopped);
  EXPECT_FALSE(w.form->Capture.Recording);
  EXPECT_FALSE(w.form->Led->isEnabled());
  EXPECT_TRUE(w.form->Frq1->isEnabled());
  // The status refresh ran: the speed label shows the restored position.
  EXPECT_EQ(w.form->LSpeed->Caption(), QStringLiteral("Speed:5"));

  // START with the format still refused: asked again, stopped again.
  w.form->BtnStop->click();
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].Text, QStringLiteral("Wrong Format. Try Again."));
  EXPECT_TRUE(w.form->BtnStop->Down());
  EXPECT_EQ(w.audio->InOpens, 0);

  // START once the format is accepted: recording.
  w.audio->MappedQueryResult = 0;
  w.form->BtnStop->click();
  EXPECT_FALSE(w.form->BtnStop->Down());
  EXPECT_EQ(w.audio->InOpens, 1);
  EXPECT_TRUE(w.form->Capture.Recording);
  EXPECT_FALSE(w.form->Stopped);
  w.Feed(PeakBlock(1, 2));
  EXPECT_EQ(w.form->Levels.PeakR, 2);
  EXPECT_EQ(Messages().size(), 2u);
}

TEST(Capture, BufferThatCannotBeHandedBackIsLostAndTheOthersCirculate) {
  DeviceWindow w;
  w.audio->InAddResult = MMSYSERR_INVALHANDLE;
  w.Feed(Silence);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text, QStringLiteral("WaveInAddBuffer."));
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Error"));
  EXPECT_EQ(w.audio->QueuedInBuffers(), 3u);

  w.audio->InAddResult = 0;
  for (int block = 0; block < 6; ++block)
    w.Feed(PeakBlock(static_cast<int16_t>(block), 0));
  EXPECT_EQ(w.form->Levels.PeakL, 5);
  EXPECT_EQ(w.audio->QueuedInBuffers(), 3u);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST(Capture, LostDeviceIsReportedOnceAndStartOpensAgain) {
  DeviceWindow w;
  w.form->RCnl->SetChecked(true);
  w.form->Led->SetChecked(true);
  w.Feed(PeakBlock(1000, 1000));
  ASSERT_TRUE(w.form->ColorBox->isEnabled());

  w.audio->LoseInput(MMSYSERR_BADDEVICEID);
  ProcessEvents(20);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));

  // Closed and stopped, exactly as after STOP.
  EXPECT_EQ(w.audio->InCloses, 1);
  EXPECT_FALSE(w.audio->InOpen());
  EXPECT_EQ(w.form->Streams.Input(), nullptr);
  EXPECT_TRUE(w.form->Capture.InClosed);
  EXPECT_FALSE(w.form->Capture.Recording);
  EXPECT_TRUE(w.form->Stopped);
  EXPECT_TRUE(w.form->BtnStop->Down());
  EXPECT_FALSE(w.form->ColorBox->isEnabled());
  EXPECT_FALSE(w.form->RCnl->isEnabled());
  EXPECT_TRUE(w.form->Frq1->isEnabled());
  EXPECT_EQ(ReadMeter(*w.form->PeakLedDisplay1), (MeterView{0, 0}));

  w.form->BtnStop->click();
  EXPECT_EQ(w.audio->InOpens, 2);
  EXPECT_EQ(w.audio->InOpensWhileOpen, 0);
  EXPECT_TRUE(w.audio->InOpen());
  EXPECT_EQ(w.audio->QueuedInBuffers(), 4u);
  EXPECT_TRUE(w.form->Capture.Recording);
  w.Feed(PeakBlock(0, 3000));
  EXPECT_EQ(w.form->Levels.PeakR, 3000);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST(Capture, ShutdownDoesNotWaitForeverForACloseThatNeverComes) {
  DeviceWindow w;
  w.form->show();
  w.Feed(Silence);
  w.audio->SwallowInClose = true;
  EXPECT_TRUE(w.form->close());
  EXPECT_EQ(w.audio->InResets, 1);
  EXPECT_EQ(w.audio->InCloses, 1);
  EXPECT_TRUE(w.form->Capture.InClosed);
  EXPECT_EQ(w.form->Streams.Input(), nullptr);
  EXPECT_FALSE(w.form->isVisible());
}
