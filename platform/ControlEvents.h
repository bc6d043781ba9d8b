// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Event handler types of the controls and the window, and the mouse events
// every control can pass on to the window's handlers.

#include <functional>

#include <QList>
#include <QObject>

class QPoint;
class QWidget;

using NotifyEvent = std::function<void(QObject* Sender)>;
using ChangingEvent = std::function<void(QObject* Sender, bool& AllowChange)>;
using MouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                      Qt::KeyboardModifiers Shift, int X, int Y)>;
using MouseMoveEvent =
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

// Mouse handlers attached to a control. A control made of inner parts (an
// up-down's buttons, an edit's text field) reports their events too, in its
// own coordinates. Moves are reported without a button held too.
class MouseEvents : public QObject {
  Q_OBJECT
public:
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;

  // The handlers of a control, created on first use with the given inner
  // parts reporting too.
  static MouseEvents& Of(QWidget* control, const QList<QWidget*>& parts = {});

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  MouseEvents(QWidget* control, const QList<QWidget*>& parts);
  QWidget* control_;
};

// Ends a press made from the keyboard as a left-button release at `at` (in the
// control's coordinates) ends a click, so the control's mouse-up handlers run.
void ReportMouseRelease(QWidget* control, const QPoint& at);
