#pragma once
// A view drawn straight into a child window of the program's window on an X
// server, outside Qt's backing store: a scroll is one copy of the window onto
// itself inside the server, and only new pixels travel, by shared memory. The
// window shows a bitmap; every pixel changed in the bitmap must be handed over
// (Put, ScrollLeft) as it is with the window's repaint.
//
// The requests go over Qt's own connection to the server: those of a block
// drawn inside a Gather leave in one write when it ends; others are handed
// over just before the window's repaint, so they and the repaint reach the
// server together and wake it once.
//
// Pointer events pass through the child window to the program's window. A
// widget lying over the view (the ruler) stays visible: the child window
// leaves a hole where it lies, and Qt paints it there as before.

#include <memory>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QRect>

class Bitmap;
class QImage;
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
  // The same for a picture drawn at the window's scale: `devicePixels` holds
  // the area's screen pixels (an RGB32 image of its size times the scale),
  // shown one for one, and Put takes rectangles of its pixels.
  static std::unique_ptr<X11Display> Create(QWidget* window, QRect area,
                                            const QImage& devicePixels);
  ~X11Display() override;

  // Shows the pixels of rect, in the bitmap's coordinates; with a source, that
  // bitmap is the one shown from now on.
  void Put(QRect rect, const Bitmap* source = nullptr);
  // The bitmap moved `distance` columns left: the window's picture moves
  // with one copy and the freed columns come from the bitmap, or, in the rows
  // `edge` has, from its first column, which each of them repeats.
  void ScrollLeft(int distance, const Bitmap* edge = nullptr);

  // While one lives, what the views are asked to show waits, and leaves in
  // one write when the last ends: a block drawn outside Qt's repaint wakes
  // neither the server nor the event loop more than once. GUI thread only.
  class Gather {
  public:
    Gather();
    ~Gather();
    Gather(const Gather&) = delete;
    Gather& operator=(const Gather&) = delete;
  };

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  bool event(QEvent* event) override;

private:
  struct Connection;
  explicit X11Display(std::unique_ptr<Connection> x);
  static std::unique_ptr<X11Display> Make(QWidget* window, QRect area, const Bitmap* source,
                                          const QImage* devicePixels, QWidget* above);
  void FollowHole();
  // Sends what was asked once Qt's repaint of the same block has had its
  // turn, or when the gather around it ends.
  void FlushSoon();
  // Hands every view's requests to the connection and sends them.
  static void Send();

  std::unique_ptr<Connection> x_;
  QWidget* window_ = nullptr;
};
