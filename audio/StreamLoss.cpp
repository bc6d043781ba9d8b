// One report for the streams that a single failure takes down: when the sound
// server goes away, the input and the generator's output are lost together,
// and one box says what happened to each.

#include <utility>

#include "app/Main.h"
#include "platform/MessageBox.h"

namespace {
constexpr unsigned InputLost = 1, OutputLost = 2;
} // namespace

void TForm1::ReportLoss(bool Input) {
  const bool scheduled = lostToReport_ != 0;
  lostToReport_ |= Input ? InputLost : OutputLost;
  if (scheduled) return;
  // Queued: the other stream's loss, posted by the same failure, is handled
  // first and goes into the same box.
  QMetaObject::invokeMethod(
      this,
      [this] {
        const unsigned lost = std::exchange(lostToReport_, 0);
        const QString text =
            lost == InputLost
                ? QStringLiteral("The audio input was lost: the sound server went away.\n"
                                 "Release STOP to try again.")
            : lost == OutputLost
                ? QStringLiteral("The generator's output was lost: the sound server went "
                                 "away.\nSwitch the generator off and on again to play.")
                : QStringLiteral("The audio input and the generator's output were lost: the "
                                 "sound server went away.\nRelease STOP to try again, and "
                                 "switch the generator off and on again to play.");
        ShowMessageBox(this, text, QStringLiteral("Warning"),
                       lost == InputLost ? MessageIcon::None : MessageIcon::Warning);
      },
      Qt::QueuedConnection);
}
