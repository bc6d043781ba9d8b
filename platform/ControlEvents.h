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

// Mouse handlers attached to a control (and to its inner child widgets, which
// report in the control's coordinates). Moves are reported without a button
// held too.
class MouseEvents : public QObject {
  Q_OBJECT
public:
  MouseEvent OnMouseDown;
  MouseMoveEvent OnMouseMove;
  MouseEvent OnMouseUp;

  // The handlers of a control, created on first use.
  static MouseEvents& Of(QWidget* control);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  explicit MouseEvents(QWidget* control);
  QWidget* control_;
};
