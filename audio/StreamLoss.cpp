// SPDX-License-Identifier: GPL-3.0-or-later
// One report for the streams that a single failure takes down: when the sound
// server goes away, the input and the generator's output are lost together,
// and one box says what happened to each. The box is never shown inside a
// stream's shutdown (its loop would run the rest of the program meanwhile),
// and there is one at a time: a loss while it is open goes to the terminal.

#include <cstdio>
#include <utility>

#include "app/Main.h"
#include "platform/MessageBox.h"

namespace {
constexpr unsigned InputLost = 1, OutputLost = 2;
} // namespace

void TForm1::ReportLoss(bool Input) {
  lostToReport_ |= Input ? InputLost : OutputLost;
  ShowLoss();
}

void TForm1::ShowLoss() {
  // Queued: the other stream's loss, posted by the same failure, is handled
  // first and goes into the same box.
  QMetaObject::invokeMethod(
      this,
      [this] {
        // A shutdown under way shows the box when it is done; a later call
        // finds the losses shown already.
        if (shuttingDown_ != 0 || lostToReport_ == 0) return;
        const unsigned lost = std::exchange(lostToReport_, 0);
        if (lossShown_) {
          std::fprintf(stderr, "veltrano: the sound server went away again\n");
          return;
        }
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
        lossShown_ = true;
        ShowMessageBox(this, text, QStringLiteral("Warning"),
                       lost == InputLost ? MessageIcon::None : MessageIcon::Warning);
        lossShown_ = false;
      },
      Qt::QueuedConnection);
}
