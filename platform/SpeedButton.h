// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A flat push button. With a group index it toggles: a click flips Down
// (all buttons of the group may be up) and OnClick reads the new state.
// Setting Down from the program runs nothing.

#include <QToolButton>

#include "platform/ControlEvents.h"

class SpeedButton : public QToolButton {
  Q_OBJECT
public:
  SpeedButton(QWidget* parent, int groupIndex);
  NotifyEvent OnClick;
  bool Down() const { return isChecked(); }
  void SetDown(bool down) { setChecked(down); }
  // Runs OnClick as a click does, without changing Down.
  void Click();

protected:
  void keyReleaseEvent(QKeyEvent* event) override;
};
