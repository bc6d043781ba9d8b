#pragma once
// The display drawn straight into a child window of the program's window on
// an X server, outside Qt's backing store: a scroll is one copy of the
// window onto itself inside the server, and only the new columns travel, by
// shared memory. The window shows a bitmap; every pixel changed in the bitmap
// must be handed over (Put, ScrollLeft) as it is with the window's repaint.
//
// Pointer events pass through the child window to the program's window. A
// widget lying over the display (the ruler) stays visible: the child window
// leaves a hole where it lies, and Qt paints it there as before.

#include <memory>

#include <QObject>
#include <QRect>

class Bitmap;
class QWidget;

class X11Display : public QObject {
public:
  // A child window over `area` (logical pixels of `window`) that shows
  // `source`, with a hole wherever `above` lies. None where the window is not
  // on an X server, its scale is no whole number (Qt's scaled drawing keeps
  // the exact pixel blocks there), or the server cannot share memory or shape
  // windows. `source` and `above` must outlive it. GUI thread only.
  static std::unique_ptr<X11Display> Create(QWidget* window, QRect area, const Bitmap& source,
                                            QWidget* above);
  ~X11Display() override;

  // Shows the pixels of rect, in the bitmap's coordinates.
  void Put(QRect rect);
  // The bitmap moved `distance` columns left: the window's picture moves
  // with one copy and the freed columns come from the bitmap.
  void ScrollLeft(int distance);

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

private:
  struct Connection;
  explicit X11Display(std::unique_ptr<Connection> x);
  void FollowHole();
  bool HandleEvents(bool putExposed = true);

  std::unique_ptr<Connection> x_;
};
