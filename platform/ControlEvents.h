#pragma once
// Event handler types of the controls and the window, and the mouse events
// every control can pass on to the window's handlers.

#include <functional>

#include <QObject>

class QWidget;

using NotifyEvent = std::function<void(QObject* Sender)>;
using ChangingEvent = std::function<void(QObject* Sender, bool& AllowChange)>;
using MouseEvent = std::function<void(QObject* Sender, Qt::MouseButton Button,
                                      Qt::KeyboardModifiers Shift, int X, int Y)>;
using MouseMoveEvent =
    std::function<void(QObject* Sender, Qt::KeyboardModifiers Shift, int X, int Y)>;

// Mouse handlers attached to a control. A control made of inner parts (an
// edit with its buttons) reports their events too, in its own coordinates.
// Moves are reported without a button held too.
class MouseEvents : public QObject {
  Q_OBJECT
public:
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;

  // The handlers of a control, created on first use.
  static MouseEvents& Of(QWidget* control, bool withInnerParts = false);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  MouseEvents(QWidget* control, bool withInnerParts);
  QWidget* control_;
};
