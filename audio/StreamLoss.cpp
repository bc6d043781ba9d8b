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
                                 "It reopens by itself when the server is back.")
            : lost == OutputLost
                ? QStringLiteral("The generator's output was lost: the sound server went "
                                 "away.\nIt plays again by itself when the server is back.")
                : QStringLiteral("The audio input and the generator's output were lost: the "
                                 "sound server went away.\nBoth reopen by themselves when "
                                 "the server is back.");
        ShowMessageBox(this, text, QStringLiteral("Warning"),
                       lost == InputLost ? MessageIcon::None : MessageIcon::Warning);
      },
      Qt::QueuedConnection);
}
