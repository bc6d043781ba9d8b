// SPDX-License-Identifier: GPL-3.0-or-later
// The playback stream in the window: when the generator's output opens, what
// each refilled buffer carries, how it stops, and how failures of the device
// are reported.

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "platform/Appearance.h"
#include "tests/support/DeviceWindow.h"
#include "tests/support/ZeroCrossings.h"

namespace {

constexpr TColor PaleBlue = 0x00FFEAD5;

// The largest magnitude of one channel; a tone of amplitude A sampled at
// 48 kHz peaks between A cos(pi f / 48000) and A.
int Peak(const std::vector<int16_t>& buffer, int channel) {
  int peak = 0;
  for (size_t n = static_cast<size_t>(channel); n < buffer.size(); n += 2)
    peak = std::max(peak, std::abs(static_cast<int>(buffer[n])));
  return peak;
}

// A window that has been activated, with f1 at 1000 Hz and 50 % on the left,
// open and playing its first two buffers.
struct PlayingWindow : DeviceWindow {
  PlayingWindow() {
    form->FormActivate(form.get());
    form->FrqG1->SetValue(1000);
    form->FrqV1->SetValue(50);
    form->Frq1->SetChecked(true);
    form->LcBox0->SetChecked(true);
    ProcessEvents();
  }
};

} // namespace

TEST(Playback, OpensForARoutedSourceOnlyAfterTheFirstActivation) {
  DeviceWindow w;
  TForm1& f = *w.form;
  // Before the first activation nothing may open.
  f.Frq1->SetChecked(true);
  f.LcBox0->SetChecked(true);
  EXPECT_FALSE(f.Playback.OutIdle);
  EXPECT_EQ(w.audio->OutOpens, 0);
  f.LcBox0->SetChecked(false);

  f.FormActivate(&f);
  EXPECT_TRUE(f.Playback.OutIdle);
  // A source routed to neither channel counts as off.
  f.Frq2->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 0);
  f.LcBox0->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 1);
  EXPECT_FALSE(f.Playback.OutIdle);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clBtnFace);

  // The open notification starts two prepared buffers of 250 ms.
  ProcessEvents();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
  EXPECT_EQ(w.audio->OutWrites, 2);
  EXPECT_EQ(w.audio->QueuedOutBuffers(), 2u);
  for (int i = 0; i < 2; ++i) {
    const WAVEHDR& header = f.Playback.OutHeaders[i];
    EXPECT_EQ(header.lpData, f.Playback.OutBuffers[static_cast<size_t>(i)]);
    EXPECT_EQ(header.dwBufferLength, 48000u);
    EXPECT_EQ(header.dwLoops, 1u);
    EXPECT_TRUE(header.dwFlags & WHDR_PREPARED);
  }
  const WAVEFORMATEX& format = f.Playback.OutFormat;
  EXPECT_EQ(format.nSamplesPerSec, 48000u);
  EXPECT_EQ(format.nChannels, 2);
  EXPECT_EQ(format.nBlockAlign, 4);
  EXPECT_EQ(format.nAvgBytesPerSec, 192000u);

  // Further clicks while it plays open nothing more.
  f.RcBox0->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 1);
  EXPECT_TRUE(Messages().empty());
}

TEST(Playback, EveryReturnedBufferIsRefilledWithTheMix) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.FormActivate(&f);
  f.FrqG1->SetValue(1000);
  f.FrqV1->SetValue(50);
  f.FrqG2->SetValue(3000);
  f.FrqV2->SetValue(30);
  f.Frq1->SetChecked(true);
  f.LcBox0->SetChecked(true);
  f.Frq2->SetChecked(true);
  f.RcBox1->SetChecked(true);
  f.Noise->SetChecked(true); // routed nowhere: silent, and its edit stays white
  ProcessEvents();
  for (int buffer = 0; buffer < 4; ++buffer)
    w.Play();
  EXPECT_EQ(w.audio->OutWrites, 6);
  EXPECT_EQ(w.audio->QueuedOutBuffers(), 2u);

  // The same mix made by the synthesis core, phases from zero.
  GeneratorState reference;
  AllocateGenTables(reference);
  const GenSources sources{{{true, 50, true, false},
                            {true, 30, false, true},
                            {true, 50, false, false},
                            {false, 50, false, false}}};
  BuildTables(reference, sources);
  reference.GenFreq = {1000, 3000, 0, 0};
  std::vector<int16_t> expected(OutBlockSamples);
  ASSERT_EQ(w.audio->Played.size(), 4u);
  for (size_t buffer = 0; buffer < 4; ++buffer) {
    Synthesize(reference, sources, expected.data());
    EXPECT_EQ(w.audio->Played[buffer], expected) << "buffer " << buffer;
  }
  FreeGenTables(reference);

  // 1000 Hz on the left at 16383, 3000 Hz on the right at 9830: 250 ms of
  // each gives 500 and 1500 zero crossings.
  for (const std::vector<int16_t>& played : w.audio->Played) {
    EXPECT_LE(Peak(played, 0), 16383);
    EXPECT_GE(Peak(played, 0), 16383 * std::cos(std::numbers::pi * 1000 / 48000) - 1);
    EXPECT_LE(Peak(played, 1), 9830);
    EXPECT_GE(Peak(played, 1), 9830 * std::cos(std::numbers::pi * 3000 / 48000) - 1);
    EXPECT_NEAR(ZeroCrossings(played, 0, 2), 500, 2);
    EXPECT_NEAR(ZeroCrossings(played, 1, 2), 1500, 2);
  }

  // Only the sources that sound get the pale blue level edit.
  EXPECT_EQ(ColorOf(f.FrqV1), PaleBlue);
  EXPECT_EQ(ColorOf(f.FrqV2), PaleBlue);
  EXPECT_EQ(ColorOf(f.FrqVN), clWindow);
  EXPECT_EQ(ColorOf(f.FrqVF), clWindow);
  // A routing change is heard, and shown, from the next refill.
  f.RcBox1->SetChecked(false);
  f.LcBox2->SetChecked(true);
  w.Play();
  EXPECT_EQ(ColorOf(f.FrqV2), clWindow);
  EXPECT_EQ(ColorOf(f.FrqVN), PaleBlue);
  EXPECT_TRUE(Messages().empty());
}

TEST(Playback, SwitchingTheLastRoutedSourceOffClosesAtTheNextReturnedBuffer) {
  PlayingWindow w;
  TForm1& f = *w.form;
  w.Play();
  ASSERT_EQ(ColorOf(f.FrqV1), PaleBlue);
  const int writes = w.audio->OutWrites;

  // The source box stays checked; without routing it counts as off.
  f.LcBox0->SetChecked(false);
  EXPECT_TRUE(f.Playback.OutStop);
  EXPECT_TRUE(w.audio->OutOpen());

  ASSERT_TRUE(w.audio->PlayNext());
  WAVEHDR* returned = f.Playback.OutHeaders[0].dwFlags & WHDR_INQUEUE ? &f.Playback.OutHeaders[1]
                                                                      : &f.Playback.OutHeaders[0];
  ProcessEvents();
  EXPECT_FALSE(returned->dwFlags & WHDR_PREPARED);
  EXPECT_EQ(w.audio->OutResets, 1);
  EXPECT_EQ(w.audio->OutCloses, 1);
  EXPECT_FALSE(w.audio->OutOpen());
  EXPECT_EQ(w.audio->OutWrites, writes);
  EXPECT_EQ(f.Streams.Output(), nullptr);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clBtnFace);
  for (SpinEdit* level : {f.FrqV1, f.FrqV2, f.FrqVN, f.FrqVF})
    EXPECT_EQ(ColorOf(level), clWindow) << qPrintable(level->objectName());
  EXPECT_TRUE(f.Playback.OutIdle);

  // Closed for good: routing the source again opens a new device.
  f.LcBox0->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 2);
  ProcessEvents();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
  EXPECT_EQ(w.audio->QueuedOutBuffers(), 2u);
  EXPECT_TRUE(Messages().empty());
}

TEST(Playback, SourceSwitchedOnAgainWhileStoppingDoesNotCancelTheStop) {
  PlayingWindow w;
  TForm1& f = *w.form;
  f.LcBox0->SetChecked(false);
  // A reactivation arms the open again; the box's colour still guards it.
  f.FormActivate(&f);
  f.LcBox0->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 1);
  EXPECT_TRUE(f.Playback.OutStop);

  // The stop completes, with no buffer written again; then, the source being
  // on, the output opens again and writes its two.
  w.Play();
  EXPECT_EQ(w.audio->OutCloses, 1);
  EXPECT_EQ(w.audio->OutOpens, 2);
  ProcessEvents(50);
  EXPECT_EQ(w.audio->OutWrites, 4);
  ProcessEvents(200);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
}

TEST(Playback, SwitchedOffBeforeTheDeviceReportsItsOpenClosesAtOnce) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.FormActivate(&f);
  f.Frq1->SetChecked(true);
  f.LcBox0->SetChecked(true);
  ASSERT_EQ(w.audio->OutOpens, 1);
  // Off again while the open notification is still on its way.
  f.Frq1->SetChecked(false);
  ProcessEvents();

  // No buffer was written, so none could come back to close the device.
  EXPECT_EQ(w.audio->OutWrites, 0);
  EXPECT_FALSE(w.audio->OutOpen());
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clBtnFace);
  EXPECT_TRUE(f.Playback.OutIdle);
  f.Frq1->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 2);
}

TEST(Playback, FailedOpenIsReportedAndRetriedAfterTheNextActivation) {
  DeviceWindow w;
  TForm1& f = *w.form;
  w.audio->OutOpenResult = MMSYSERR_BADDEVICEID;
  f.FormActivate(&f);
  f.Frq1->SetChecked(true);
  f.LcBox0->SetChecked(true);
  ProcessEvents();
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text,
            QStringLiteral("Can`t open audio device !\r\ndevice ID out of range"));
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
  EXPECT_FALSE(f.Playback.OutIdle);
  EXPECT_EQ(f.Streams.Output(), nullptr);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clBtnFace);

  // Not armed: another click does not try again.
  w.audio->OutOpenResult = 0;
  f.RcBox0->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 1);

  f.FormActivate(&f);
  f.RcBox0->SetChecked(false);
  EXPECT_EQ(w.audio->OutOpens, 2);
  ProcessEvents();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
  EXPECT_EQ(w.audio->QueuedOutBuffers(), 2u);
  EXPECT_EQ(Messages().size(), 1u);
}

TEST(Playback, LostOutputIsReportedInPlainWordsAndCanBeStartedAgain) {
  PlayingWindow w;
  TForm1& f = *w.form;
  w.Play();
  w.audio->LoseOutput(6);
  ProcessEvents(20);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text,
            QStringLiteral("The generator's output was lost: the sound server went away.\n"
                           "It plays again by itself when the server is back."));
  EXPECT_EQ(Messages()[0].Caption, QStringLiteral("Warning"));
  EXPECT_FALSE(w.audio->OutOpen());
  EXPECT_EQ(w.audio->QueuedOutBuffers(), 0u);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clBtnFace);
  EXPECT_EQ(ColorOf(f.FrqV1), clWindow);
  const int writes = w.audio->OutWrites;

  f.RcBox0->SetChecked(true);
  EXPECT_EQ(w.audio->OutOpens, 2);
  ProcessEvents();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
  EXPECT_EQ(w.audio->OutWrites, writes + 2);
}

TEST(Playback, InputAndOutputLostTogetherGiveOneWarning) {
  PlayingWindow w;
  w.Play();
  w.audio->LoseInput();
  w.audio->LoseOutput();
  ProcessEvents(20);
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_EQ(Messages()[0].Text,
            QStringLiteral("The audio input and the generator's output were lost: the sound "
                           "server went away.\nBoth reopen by themselves when the server is "
                           "back."));
  EXPECT_TRUE(w.form->Stopped);
  EXPECT_EQ(ColorOf(w.form->GeneratorGroup), clBtnFace);
}

TEST(Playback, KeepsPlayingWhileTheInputIsStopped) {
  PlayingWindow w;
  TForm1& f = *w.form;
  f.BtnStop->click();
  ASSERT_TRUE(f.Stopped);
  for (int buffer = 0; buffer < 3; ++buffer)
    w.Play();
  EXPECT_EQ(w.audio->OutWrites, 5);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);

  // The generator's controls stay usable: f2 joins on the right.
  for (QWidget* control : std::initializer_list<QWidget*>{
           f.Frq1, f.Frq2, f.Noise, f.AutoG, f.LcBox1, f.RcBox1, f.FrqG2, f.FrqV2, f.FrqFrom})
    EXPECT_TRUE(control->isEnabled()) << qPrintable(control->objectName());
  f.FrqG2->SetValue(2000);
  f.Frq2->click();
  f.RcBox1->click();
  // The two buffers in flight were made before; the next refill still uses
  // the table built while f2 was off.
  for (int buffer = 0; buffer < 4; ++buffer)
    w.Play();
  EXPECT_NEAR(ZeroCrossings(w.audio->Played.back(), 1, 2), 1000, 2);
}
