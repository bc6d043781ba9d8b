// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/MessageBox.h"

#include <QMessageBox>
#include <QWidget>

namespace {
MessageBoxHook& Hook() {
  static MessageBoxHook hook;
  return hook;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook hook) {
  Hook() = std::move(hook);
}

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption,
                    MessageIcon icon) {
  if (Hook()) {
    Hook()(text, caption);
    return;
  }
  QMessageBox box(icon == MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
                  caption, text, QMessageBox::Ok, parent);
  box.exec();
  // Hand the focus back as a window manager would, so the window is
  // activated again when the box closes.
  if (parent != nullptr && parent->isVisible()) parent->window()->activateWindow();
}
