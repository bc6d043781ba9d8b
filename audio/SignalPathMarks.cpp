// SPDX-License-Identifier: GPL-3.0-or-later
// What the desktop does to the signal, shown where the user cannot miss it:
// in the title bar ("Veltrano — input at 50 %") and once on the terminal; and
// the streams a lost server took down, reopened when it answers again.

#include <cstdio>
#include <utility>

#include <QDateTime>
#include <QTimer>

#include "app/Main.h"
#include "audio/StreamFormat.h"

namespace {

// How long, and how often, a server that is back is asked for its input.
constexpr qint64 ReopenRetryMs = 5000;
constexpr int ReopenPollMs = 250;

std::string Joined(const std::vector<std::string>& findings) {
  std::string text;
  for (const std::string& finding : findings)
    text += (text.empty() ? "" : ", ") + finding;
  return text;
}

} // namespace

void TForm1::PathChanged(bool Input, const std::vector<std::string>& Findings, bool Tell) {
  // The terminal hears of a change of the path itself, not of a stream that
  // closed and opened again on the same path.
  std::vector<std::string>& told = Input ? Path.InTold : Path.OutTold;
  if (Tell && told != Findings) {
    told = Findings;
    const char* side = Input ? "input" : "output";
    if (Findings.empty())
      std::fprintf(stderr, "veltrano: the %s's signal path is transparent again\n", side);
    else
      std::fprintf(stderr, "veltrano: the desktop changes the %s's signal: %s\n", side,
                   Joined(Findings).c_str());
  }
  std::vector<std::string>& shown = Input ? Path.InFindings : Path.OutFindings;
  if (shown == Findings) return;
  shown = Findings;
  std::vector<std::string> all = Path.InFindings;
  all.insert(all.end(), Path.OutFindings.begin(), Path.OutFindings.end());
  setWindowTitle(all.empty()
                     ? QStringLiteral("Veltrano")
                     : QStringLiteral("Veltrano \u2014 ") + QString::fromStdString(Joined(all)));
}

void TForm1::ServerBack() {
  // A PipeWire server may answer a while before its devices are there.
  Path.ReopenUntil = QDateTime::currentMSecsSinceEpoch() + ReopenRetryMs;
  ReopenInput();
  if (std::exchange(Path.ReopenOutput, false) && AnySourceActive()) {
    Playback.OutIdle = true;
    OpenOutput();
  }
}

void TForm1::ReopenInput() {
  // START, as the user would press it, unless the user pressed STOP. Kept
  // until it can act: the input may still be shutting down.
  if (!Path.ReopenInput || !BtnStop->Down() || Streams.Input() != nullptr) return;
  WAVEFORMATEX format;
  FillStreamFormat(format);
  const MMRESULT code = Audio->WaveInOpen(nullptr, 0, &format, nullptr, 0, WAVE_FORMAT_QUERY);
  if (code == MMSYSERR_BADDEVICEID) {
    if (QDateTime::currentMSecsSinceEpoch() < Path.ReopenUntil) {
      QTimer::singleShot(ReopenPollMs, this, [this] { ReopenInput(); });
      return;
    }
    std::fprintf(stderr, "veltrano: the sound server is back but offers no input device\n");
    Path.ReopenInput = false;
    return;
  }
  Path.ReopenInput = false;
  BtnStop->SetDown(false);
  BtnStop->Click();
}
