// What the desktop does to the signal, shown where the user cannot miss it:
// in the title bar ("Veltrano — input at 50 %") and once on the terminal; and
// the streams a lost server took down, reopened when it answers again.

#include <cstdio>
#include <utility>

#include "app/Main.h"

namespace {

std::string Joined(const std::vector<std::string>& findings) {
  std::string text;
  for (const std::string& finding : findings)
    text += (text.empty() ? "" : ", ") + finding;
  return text;
}

} // namespace

void TForm1::PathChanged(bool Input, const std::vector<std::string>& Findings) {
  std::vector<std::string>& shown = Input ? Path.InFindings : Path.OutFindings;
  if (shown == Findings) return;
  shown = Findings;
  const char* side = Input ? "input" : "output";
  if (Findings.empty())
    std::fprintf(stderr, "veltrano: the %s's signal path is transparent again\n", side);
  else
    std::fprintf(stderr, "veltrano: the desktop changes the %s's signal: %s\n", side,
                 Joined(Findings).c_str());
  std::vector<std::string> all = Path.InFindings;
  all.insert(all.end(), Path.OutFindings.begin(), Path.OutFindings.end());
  setWindowTitle(all.empty()
                     ? QStringLiteral("Veltrano")
                     : QStringLiteral("Veltrano \u2014 ") + QString::fromStdString(Joined(all)));
}

void TForm1::ServerBack() {
  // START, as the user would press it, unless the user pressed STOP.
  if (std::exchange(Path.ReopenInput, false) && BtnStop->Down() && Capture.WaveIn == nullptr) {
    BtnStop->SetDown(false);
    BtnStop->Click();
  }
  if (std::exchange(Path.ReopenOutput, false) && AnySourceActive()) {
    Playback.OutIdle = true;
    OpenOutput();
  }
}
