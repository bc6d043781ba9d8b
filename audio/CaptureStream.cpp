// SPDX-License-Identifier: GPL-3.0-or-later
// The capture stream: four buffers of 2048 stereo frames circulate through the
// input device; every filled buffer is split into the sample block, measured,
// shown, and handed back.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/Main.h"
#include "audio/CaptureLevels.h"
#include "audio/StreamFormat.h"
#include "audio/mmErrMsg.h"
#include "platform/Format.h"
#include "platform/MessageBox.h"

namespace {

// How long shutdown and restart wait for a device to report its close.
constexpr int CloseTimeoutMs = 2000;

void Warn(TForm1* form, const char* text, const char* caption) {
  ShowMessageBox(form, QString::fromLatin1(text), QString::fromLatin1(caption), MessageIcon::None);
}

// Why no input can be opened, in a user's words, from the audio layer's answer.
std::string WhyNoInput(MMRESULT code) {
  if (code == MMSYSERR_BADDEVICEID)
    return "no sound server answered, or it has no source to record from";
  if (code == WAVERR_BADFORMAT) return "the sound server cannot record 48 kHz 16-bit stereo";
  return std::string("the sound server failed: ") + MMErrorText(code);
}

} // namespace

void TForm1::OpenCapture() {
  // At most one stream may deliver blocks: an earlier one (left open by STOP)
  // is reset and closed first.
  if (Streams.Input() != nullptr) {
    const bool recording = Capture.Recording;
    Capture.Recording = false;
    ShutDownCapture();
    Capture.Recording = recording;
  }

  WAVEFORMATEX& format = *Capture.InFormat;
  FillStreamFormat(format);

  if (const MMRESULT code =
          Audio->WaveInOpen(nullptr, 0, &format, nullptr, 0, WAVE_FORMAT_QUERY | WAVE_MAPPED)) {
    // The warning's twin on the terminal, where a user without a sound server
    // learns why and of the private one.
    std::fprintf(stderr,
                 "veltrano: no sound input can be opened: %s. "
                 "'veltrano --loopback' tries the bench on a private sound server.\n",
                 WhyNoInput(code).c_str());
    Warn(this, "Wrong Format. Try Again.", "Warning");
    BtnStop->SetDown(true);
    BtnStop->Click();
    UpdateStatus();
    return;
  }
  if (Audio->WaveInOpen(nullptr, 0, &format, nullptr, 0, WAVE_FORMAT_QUERY) != 0) {
    Warn(this, "Record format not supported.", "Warning");
    return;
  }

  if (Streams.OpenInput() != 0) {
    Warn(this, "Cannot open audio device.", "Warning");
    return;
  }

  for (int i = 0; i < CaptureStream::BufferCount; ++i) {
    auto*& header = Capture.InHeaders[static_cast<size_t>(i)];
    delete header;
    header = new WAVEHDR{};
    header->lpData = Capture.InBuffers[static_cast<size_t>(i)].data();
    header->dwBufferLength = CaptureStream::BufferBytes;
  }
  const char* step = "";
  if (Streams.StartInput(Capture.InHeaders, &step) != 0) {
    Warn(this, (std::string(step) + ".").c_str(), "Error");
    // A device that took its buffers but did not start is kept, as it is.
    if (std::strcmp(step, "WaveInStart") != 0) return;
  }
  Capture.InClosed = false;
  Capture.Recording = true;
  Path.ReopenInput = false;
}

void TForm1::WimData(WAVEHDR* Header) {
  if (!Capture.Recording) return;
  if (SweepWithNextBlock) ShowSweep();

  const ChannelPeaks peaks = SplitBlock(Header->lpData, Samples);
  Levels.PeakL = peaks.Left;
  Levels.PeakR = peaks.Right;
  SpeedPos = Speed->ClampedPosition();

  if (!BtnStop->Down()) {
    if (Led->Checked()) {
      if (Levels.HoldL < Levels.PeakL) Levels.HoldL = static_cast<int16_t>(Levels.PeakL);
      if (Levels.HoldR < Levels.PeakR) Levels.HoldR = static_cast<int16_t>(Levels.PeakR);
      ShowMeters({Levels.PeakL, Levels.HoldL}, {Levels.PeakR, Levels.HoldR});
      if (Levels.HoldL > 0) Levels.HoldL = static_cast<int16_t>(Levels.HoldL - 100);
      if (Levels.HoldR > 0) Levels.HoldR = static_cast<int16_t>(Levels.HoldR - 100);
    } else {
      ShowMeters({0, 0}, {0, 0});
    }
    if (ShowLevels->Checked()) {
      Rlevel->SetCaption(LevelReadout('R', Levels.PeakR));
      Llevel->SetCaption(LevelReadout('L', Levels.PeakL));
    }
  }

  UpdateStatus();

  if (!Stopped) {
    if (Scope->Checked() && AnyChannel) DrawScope();
    if (!FFTMode->Checked() && !SpectralAmp->Checked() && AnyChannel) DrawSpectrogram();
    if (SpectralAmp->Checked())
      DrawAmpGraph();
    else if (FFTMode->Checked() && AnyChannel)
      DrawAmpGraph();
    FeedMeasurements();
  }

  // A message box above may have let the stream close meanwhile.
  if (Streams.Input() == nullptr) return;
  if (Streams.Requeue(Header) != 0) Warn(this, "WaveInAddBuffer.", "Error");
}

void TForm1::WimClose() {
  // Headers are freed whatever the state, so a stream that failed while
  // opening leaks nothing.
  for (WAVEHDR*& header : Capture.InHeaders) {
    delete header;
    header = nullptr;
  }
  Capture.InClosed = true;
}

void TForm1::ShowMeters(TLedLevel left, TLedLevel right) {
  Levels.LedL = left;
  Levels.LedR = right;
  PeakLedDisplay1->SetLevel(left);
  PeakLedDisplay2->SetLevel(right);
}

void TForm1::WimLost(MMRESULT) {
  // The device is gone: close what is left of it and freeze the input exactly
  // as STOP does (no status refresh after it, which would enable the mode
  // controls again), so that START can try again. The warning waits until
  // this is done: its box runs a loop of its own, in which the server may
  // come back and find STOP not yet pressed.
  // A STOP the user pressed stays pressed when the server is back.
  Path.ReopenInput = Path.ReopenInput || !BtnStop->Down();
  ++shuttingDown_;
  Capture.Recording = false;
  ShutDownCapture();
  BtnStop->SetDown(true);
  BtnStop->Click();
  --shuttingDown_;
  Streams.AwaitServer();
  ReportLoss(true);
}

void TForm1::ShutDownCapture() {
  Capture.Recording = false;
  if (Streams.Input() == nullptr) return;
  ++shuttingDown_;
  // A device that never reports its close must not keep the window open, and
  // one that failed while opening (nothing was waited for) must not keep its
  // headers: its close, when it comes, no longer matches.
  if (!Streams.CloseInput(CloseTimeoutMs)) WimClose();
  --shuttingDown_;
  if (shuttingDown_ == 0 && lostToReport_ != 0) ShowLoss();
}
