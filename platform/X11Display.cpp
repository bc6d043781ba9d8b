#include "platform/X11Display.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <QEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QSocketNotifier>
#include <QWidget>

#include "platform/Bitmap.h"

// Xlib's headers define words (None, Bool, Status) that Qt's headers use, so
// they come last.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/shape.h>

namespace {

Display* OurDisplay = nullptr;
int OurErrors = 0;
XErrorHandler EarlierHandler = nullptr;

// A request that fails on our connection (our window went with the program's
// window) is no reason to end the program, as Xlib's default handler would.
int IgnoreOurErrors(Display* display, XErrorEvent* error) {
  if (display == OurDisplay) {
    ++OurErrors;
    return 0;
  }
  if (EarlierHandler == nullptr) return 0;
  return EarlierHandler(display, error);
}

} // namespace

struct X11Display::Connection {
  Display* display = nullptr;
  Window window = 0;
  GC gc = nullptr;
  XShmSegmentInfo segment{};
  XImage* image = nullptr; // describes the stretch of shared memory last put
  size_t ringPixels = 0, ringOffset = 0;
  bool attached = false;
  int scale = 1;
  QRect area; // in the program's window, logical pixels
  QRect hole; // in the bitmap's coordinates
  const Bitmap* source = nullptr;
  QWidget* above = nullptr;
  bool obscured = true; // partly covered by another window, or unmapped
  std::unique_ptr<QSocketNotifier> events;

  ~Connection() {
    if (display == nullptr) return;
    if (gc != nullptr) XFreeGC(display, gc);
    if (attached) XShmDetach(display, &segment);
    if (image != nullptr) {
      image->data = nullptr; // the segment's, not Xlib's to free
      XDestroyImage(image);
    }
    if (segment.shmaddr != nullptr) shmdt(segment.shmaddr);
    XCloseDisplay(display); // destroys the window
    OurDisplay = nullptr;
  }

  // Device pixels of a rectangle in the bitmap's coordinates.
  QRect Device(QRect r) const {
    return {r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale};
  }

  // Copies rect of the source, each pixel as a scale x scale block, into the
  // next stretch of the shared memory, row after row with nothing between,
  // and puts it: the few new columns of a scroll fill a few pages rather than
  // a few bytes of every row. A stretch is written again only after the
  // whole segment, two displays' worth, has been: the server, which handles
  // requests in order, has long read it by then.
  void Put(QRect rect) {
    rect &= QRect(QPoint(0, 0), area.size());
    if (rect.isEmpty()) return;
    const QRect device = Device(rect);
    const size_t pixels = size_t(device.width()) * size_t(device.height());
    if (ringOffset + pixels > ringPixels) ringOffset = 0;
    uint32_t* const base = reinterpret_cast<uint32_t*>(segment.shmaddr) + ringOffset;
    const int stride = device.width();
    for (int y = 0; y < rect.height(); ++y) {
      const QRgb* from = source->Row(rect.top() + y) + rect.left();
      uint32_t* const first = base + y * scale * stride;
      uint32_t* to = first;
      for (int x = 0; x < rect.width(); ++x)
        to = std::fill_n(to, scale, from[x]);
      for (int i = 1; i < scale; ++i)
        std::copy_n(first, stride, first + i * stride);
    }
    image->width = device.width();
    image->height = device.height();
    image->bytes_per_line = 4 * device.width();
    image->data = reinterpret_cast<char*>(base);
    XShmPutImage(display, window, gc, image, 0, 0, device.left(), device.top(),
                 static_cast<unsigned>(device.width()), static_cast<unsigned>(device.height()),
                 False);
    ringOffset += pixels;
  }
};

std::unique_ptr<X11Display> X11Display::Create(QWidget* window, QRect area, const Bitmap& source,
                                               QWidget* above) {
  if (QGuiApplication::platformName() != QLatin1String("xcb") || OurDisplay != nullptr)
    return nullptr;
  const qreal ratio = window->devicePixelRatioF();
  const int scale = static_cast<int>(std::lround(ratio));
  if (scale < 1 || ratio != scale) return nullptr;
  const Window parent = window->winId();
  auto x = std::make_unique<Connection>();
  x->display = XOpenDisplay(nullptr);
  if (x->display == nullptr) return nullptr;
  OurDisplay = x->display;
  int shapeEvent = 0, shapeError = 0;
  XWindowAttributes parentAttributes{};
  if (!XShmQueryExtension(x->display) ||
      !XShapeQueryExtension(x->display, &shapeEvent, &shapeError) ||
      XGetWindowAttributes(x->display, parent, &parentAttributes) == 0)
    return nullptr;
  x->scale = scale;
  x->area = area;
  x->source = &source;
  x->above = above;
  x->image = XShmCreateImage(x->display, parentAttributes.visual,
                             static_cast<unsigned>(parentAttributes.depth), ZPixmap, nullptr,
                             &x->segment, static_cast<unsigned>(2 * area.width() * scale),
                             static_cast<unsigned>(area.height() * scale));
  // The bitmap's pixels go over as they are: 0xffRRGGBB in 32 bits.
  const Visual* visual = parentAttributes.visual;
  if (x->image == nullptr || x->image->bits_per_pixel != 32 ||
      x->image->byte_order != (Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? LSBFirst : MSBFirst) ||
      visual->red_mask != 0xff0000 || visual->green_mask != 0xff00 || visual->blue_mask != 0xff)
    return nullptr;
  x->segment.shmid =
      shmget(IPC_PRIVATE, static_cast<size_t>(x->image->bytes_per_line) * x->image->height,
             IPC_CREAT | 0600);
  if (x->segment.shmid < 0) return nullptr;
  x->segment.shmaddr = x->image->data = static_cast<char*>(shmat(x->segment.shmid, nullptr, 0));
  // Freed once both sides detach, also when the program dies.
  shmctl(x->segment.shmid, IPC_RMID, nullptr);
  if (x->segment.shmaddr == reinterpret_cast<char*>(-1)) {
    x->segment.shmaddr = x->image->data = nullptr;
    return nullptr;
  }
  x->ringPixels = size_t(x->image->width) * size_t(x->image->height);
  x->segment.readOnly = True;
  EarlierHandler = XSetErrorHandler(IgnoreOurErrors);
  // A server on another machine cannot reach our memory: it refuses the
  // attach, and the window's repaint shows the display instead.
  OurErrors = 0;
  x->attached = XShmAttach(x->display, &x->segment) != 0;
  XSync(x->display, False);
  if (!x->attached || OurErrors > 0) return nullptr;

  XSetWindowAttributes attributes{};
  attributes.background_pixmap = None; // what is not put yet keeps what was there
  attributes.event_mask = ExposureMask | VisibilityChangeMask;
  const QRect device = x->Device(area);
  x->window = XCreateWindow(
      x->display, parent, device.x(), device.y(), static_cast<unsigned>(device.width()),
      static_cast<unsigned>(device.height()), 0, parentAttributes.depth, InputOutput,
      parentAttributes.visual, CWBackPixmap | CWEventMask, &attributes);
  XGCValues values{};
  values.graphics_exposures = False; // a copy needs no answer
  x->gc = XCreateGC(x->display, x->window, GCGraphicsExposures, &values);
  XMapWindow(x->display, x->window);
  XSync(x->display, False);

  std::unique_ptr<X11Display> shown(new X11Display(std::move(x)));
  above->installEventFilter(shown.get());
  shown->FollowHole();
  shown->HandleEvents(); // any the synchronisation above read
  return shown;
}

X11Display::X11Display(std::unique_ptr<Connection> x) : x_(std::move(x)) {
  x_->events =
      std::make_unique<QSocketNotifier>(ConnectionNumber(x_->display), QSocketNotifier::Read);
  connect(x_->events.get(), &QSocketNotifier::activated, this, [this] { HandleEvents(); });
}

X11Display::~X11Display() {
  x_->above->removeEventFilter(this);
}

void X11Display::Put(QRect rect) {
  for (const QRect& r : QRegion(rect) - x_->hole)
    x_->Put(r);
  XFlush(x_->display);
}

void X11Display::ScrollLeft(int distance) {
  Connection& x = *x_;
  const int width = x.area.width(), height = x.area.height();
  if (distance <= 0) return;
  // A window that has just come over the display, or gone, is known before
  // the copy, even where the event loop has not yet seen its notice.
  const bool exposed = HandleEvents(false);
  if (x.obscured || exposed || distance >= width) {
    // What another window covers cannot be copied: the whole picture goes.
    Put(QRect(0, 0, width, height));
    return;
  }
  XCopyArea(x.display, x.window, x.window, x.gc, distance * x.scale, 0,
            static_cast<unsigned>((width - distance) * x.scale),
            static_cast<unsigned>(height * x.scale), 0, 0);
  x.Put(QRect(width - distance, 0, distance, height));
  // The columns that came from under the hole were not there to copy.
  if (!x.hole.isEmpty())
    x.Put(QRect(x.hole.left() - distance, x.hole.top(), distance, x.hole.height()));
  XFlush(x.display);
}

bool X11Display::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
  case QEvent::Move:
  case QEvent::Resize:
  case QEvent::Show:
  case QEvent::Hide:
    FollowHole();
    break;
  default:
    break;
  }
  return QObject::eventFilter(watched, event);
}

// The window's shape leaves out where the widget above lies; what the hole
// no longer covers is put again.
void X11Display::FollowHole() {
  Connection& x = *x_;
  const QRect hole =
      x.above->isVisible() ? (x.above->geometry() & x.area).translated(-x.area.topLeft()) : QRect();
  if (hole == x.hole) return;
  const QRect earlier = x.hole;
  x.hole = hole;
  std::vector<XRectangle> shown;
  for (const QRect& r : QRegion(QRect(QPoint(0, 0), x.area.size())).subtracted(hole)) {
    const QRect d = x.Device(r);
    shown.push_back({static_cast<short>(d.x()), static_cast<short>(d.y()),
                     static_cast<unsigned short>(d.width()),
                     static_cast<unsigned short>(d.height())});
  }
  XShapeCombineRectangles(x.display, x.window, ShapeBounding, 0, 0, shown.data(),
                          static_cast<int>(shown.size()), ShapeSet, Unsorted);
  for (const QRect& r : QRegion(earlier).subtracted(hole))
    x.Put(r);
  XFlush(x.display);
}

// Exposed parts are put at once, or with putExposed false only reported: a
// scroll about to copy the window puts the whole picture instead.
bool X11Display::HandleEvents(bool putExposed) {
  Connection& x = *x_;
  bool exposed = false;
  while (XPending(x.display) > 0) {
    XEvent event;
    XNextEvent(x.display, &event);
    if (event.type == VisibilityNotify) {
      x.obscured = event.xvisibility.state != VisibilityUnobscured;
    } else if (event.type == Expose) {
      exposed = true;
      if (!putExposed) continue;
      const XExposeEvent& e = event.xexpose;
      // The logical pixels the exposed device pixels belong to.
      const int left = e.x / x.scale, top = e.y / x.scale;
      const int right = (e.x + e.width + x.scale - 1) / x.scale;
      const int bottom = (e.y + e.height + x.scale - 1) / x.scale;
      for (const QRect& r : QRegion(QRect(left, top, right - left, bottom - top)) - x.hole)
        x.Put(r);
    }
  }
  XFlush(x.display);
  return exposed;
}
