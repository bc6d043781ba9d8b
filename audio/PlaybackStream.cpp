// SPDX-License-Identifier: GPL-3.0-or-later
// The playback stream: two buffers of 250 ms circulate through the output
// device, each refilled by the synthesis as soon as it comes back.

#include "app/Main.h"
#include "audio/StreamFormat.h"
#include "audio/mmErrMsg.h"
#include "generator/SourceTable.h"
#include "platform/Appearance.h"
#include "platform/MessageBox.h"

namespace {

// The level edit of a source that is sounding.
constexpr TColor PaleBlue = 0x00FFEAD5;

void WarnCode(TForm1* form, const QString& prefix, MMRESULT code) {
  ShowMessageBox(form, prefix + QString::fromLatin1(MMErrorText(code)), QStringLiteral("Warning"),
                 MessageIcon::Warning);
}

} // namespace

void TForm1::OpenOutput() {
  // Only a closed device may be opened; the box's colour says whether it is.
  if (ColorOf(GeneratorGroup) != clBtnFace) return;
  // The box turns back to button face only once the last device reported its
  // close, so nothing is waited for here.
  Playback.OutIdle = false;

  WAVEFORMATEX& format = Playback.OutFormat;
  FillStreamFormat(format);

  Playback.OutStop = false;
  Playback.OutResume = false;
  const MMRESULT result = Streams.OpenOutput();
  if (result != 0) WarnCode(this, QStringLiteral("Can`t open audio device !\r\n"), result);
}

void TForm1::WomOpen() {
  SetColor(GeneratorGroup, clInfoBk);
  // Switched off before the device came up: no buffer will be written, so
  // none could come back to close it. Close it now; the box keeps its colour
  // until the close is reported, so no second open can start meanwhile.
  if (Playback.OutStop) {
    Streams.ReleaseOutput();
    return;
  }
  if (!Gen.TablesValid) BuildTables();

  WAVEHDR* headers = Playback.OutHeaders;
  headers[0] = WAVEHDR{};
  headers[0].lpData = Playback.OutBuffers[0];
  headers[0].dwBufferLength = PlaybackStream::BufferBytes;
  headers[0].dwLoops = 1;
  headers[1] = headers[0];
  headers[1].lpData = Playback.OutBuffers[1];

  for (WAVEHDR* header : {&headers[0], &headers[1]})
    FillAndWrite(header);
}

void TForm1::FillAndWrite(WAVEHDR* Header) {
  if (Playback.OutStop) return;
  for (size_t j = 0; j < GenSourceRows.size(); ++j)
    if (const GenSourceRow& row = GenSourceRows[j]; row.Frequency != nullptr)
      Gen.GenFreq[j] = (this->*row.Frequency)->Value();
  if (AutoG->Checked()) {
    StepSweep();
    Gen.GenFreq[3] = Gen.SweepFreq;
  }
  Synthesize(reinterpret_cast<int16_t*>(Header->lpData));
  const MMRESULT result = Streams.Write(Header);
  if (result != 0) WarnCode(this, QString(), result);
}

void TForm1::WomDone(WAVEHDR* Header) {
  // Buffers that come back after the device was let go are not refilled.
  if (Streams.Output() == nullptr) return;
  if (Playback.OutStop) {
    const MMRESULT result = Streams.Unprepare(Header);
    if (result != 0) WarnCode(this, QString(), result);
    Streams.ReleaseOutput();
    return;
  }
  FillAndWrite(Header);
  for (const GenSourceRow& row : GenSourceRows)
    SetColor(this->*row.Level, Sounding(*this, row) ? PaleBlue : clWindow);
}

void TForm1::WomClose() {
  // No output, nothing between it and the card; the path itself is as it was.
  PathChanged(false, {}, false);
  SetColor(GeneratorGroup, clBtnFace);
  Playback.OutIdle = true;
  for (const GenSourceRow& row : GenSourceRows)
    SetColor(this->*row.Level, clWindow);
  // The stop is complete; a source switched on meanwhile is heard again.
  if (Playback.OutResume && AnySourceActive()) OpenOutput();
}

void TForm1::WomLost(MMRESULT) {
  // The device is gone: let it go as a stop would, so the box returns to
  // button face when its close arrives, and say why.
  Playback.OutResume = false;
  Streams.ReleaseOutput();
  Path.ReopenOutput = true;
  Streams.AwaitServer();
  ReportLoss(false);
}
