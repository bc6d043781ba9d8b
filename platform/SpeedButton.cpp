// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpeedButton.h"

#include <QKeyEvent>

#include "platform/Accessibility.h"

SpeedButton::SpeedButton(QWidget* parent, int groupIndex) : QToolButton(parent) {
  InstallControlAccessibility();
  setCheckable(groupIndex != 0);
  // A Tab stop, but a click leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
  connect(this, &QToolButton::clicked, this, [this] { Click(); });
}

void SpeedButton::Click() {
  if (OnClick) OnClick(this);
}

// Space clicks as the mouse does; its release then reports the mouse release
// that ends a click.
void SpeedButton::keyReleaseEvent(QKeyEvent* event) {
  QToolButton::keyReleaseEvent(event);
  if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
    ReportMouseRelease(this, rect().center());
}
