// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An up-down control: two arrow buttons that step a position within Min..Max.
//
// OnChanging runs before the position moves and still sees the old position,
// with NewPosition the one it is about to take; clearing AllowChange keeps
// the old one. Setting the position from the program runs
// OnChanging when it differs and takes the new value without clamping.
//
// A Tab stop: the arrow keys step as the arrows do, the page keys ten steps;
// the key's release reports a mouse release on that arrow, as a click ends.

#include <cstdint>

#include <QWidget>

#include "platform/ControlEvents.h"

class QToolButton;

class UpDown : public QWidget {
  Q_OBJECT
public:
  UpDown(QWidget* parent, Qt::Orientation orientation);

  ChangingEvent OnChanging;
  NotifyEvent OnClick;
  int Min = 0;
  int Max = 100;

  int16_t Position() const { return position_; }
  // While OnChanging runs: the position the change leads to.
  int16_t NewPosition() const { return newPosition_; }
  void SetPosition(int16_t position);
  // The position as its readers use it: a position outside Min..Max (a stored
  // one is loaded unclamped) counts as the nearest bound. Position() keeps the
  // value itself, so it is saved as it was.
  int16_t ClampedPosition() const { return Clamp(position_); }
  // Any value taken into Min..Max the same way, e.g. a stored sensitivity.
  int16_t Clamp(int value) const;
  Qt::Orientation Orientation() const { return orientation_; }
  // One step as a click on an arrow does: +1 for up (or right), -1 for down.
  void Step(int delta);

protected:
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

private:
  bool CanChange(int16_t target);
  void ReportValue(); // to assistive technology

  Qt::Orientation orientation_;
  int16_t position_ = 0;
  int16_t newPosition_ = 0;
  QToolButton* increase_;
  QToolButton* decrease_;
};
