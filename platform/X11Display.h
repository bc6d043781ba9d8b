// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A bitmap shown by a child window of the program's window on an X server,
// outside Qt's backing store: a scroll is one copy of the window onto itself
// inside the server, and only changed pixels travel, through shared memory.
// Every pixel changed in the bitmap must be handed over (Put, ScrollLeft) as
// it is with the window's repaint; what is handed over leaves, over Qt's own
// connection, once the event under way has been handled.
//
// Shared memory is written again only after the server has confirmed that it
// read it: a part that finds no free memory waits for that confirmation. The
// window draws all of itself again whenever the server exposes it (mapped
// again, uncovered).
//
// Pointer events pass through the child window to the program's window. A
// widget lying over the view (the ruler) stays visible: the child window
// leaves a hole where it lies, and Qt paints it there as before.

#include <memory>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QRect>

class Bitmap;
class QWidget;

class X11Display : public QObject, public QAbstractNativeEventFilter {
public:
  // A child window over `area` (logical pixels of `window`) that shows
  // `source`, with a hole wherever `above` (if any) lies. None where the
  // window is not on an X server, its scale is no whole number (Qt's scaled
  // drawing keeps the exact pixel blocks there), or the server cannot share
  // memory or shape windows. `source` and `above` must outlive it, or be
  // replaced by Put. GUI thread only.
  static std::unique_ptr<X11Display> Create(QWidget* window, QRect area, const Bitmap& source,
                                            QWidget* above = nullptr);
  ~X11Display() override;

  // Shows the pixels of rect, in the bitmap's coordinates; with a source, that
  // bitmap is the one shown from now on.
  void Put(QRect rect, const Bitmap* source = nullptr);
  // The bitmap moved `distance` columns left: the window's picture moves
  // with one copy and the freed columns come from the bitmap.
  void ScrollLeft(int distance);

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

private:
  struct Connection;
  explicit X11Display(std::unique_ptr<Connection> x, QWidget* above);
  void FollowHole();
  // Sends what waits once the event under way has been handled.
  void FlushSoon();

  std::unique_ptr<Connection> x_;
  QWidget* above_ = nullptr;
  bool flushPosted_ = false;
};
