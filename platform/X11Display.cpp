// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/X11Display.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <optional>
#include <vector>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QRegion>
#include <QWidget>

#include <xcb/shape.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include "platform/Bitmap.h"

namespace {

const QEvent::Type FlushEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// A reply of the server, freed with the scope.
template <class Reply> struct Owned {
  Reply* reply;
  explicit Owned(Reply* r) : reply(r) {}
  ~Owned() { std::free(reply); }
  Owned(const Owned&) = delete;
  Owned& operator=(const Owned&) = delete;
  Reply* operator->() const { return reply; }
  explicit operator bool() const { return reply != nullptr; }
};

bool Refused(xcb_connection_t* c, xcb_void_cookie_t cookie) {
  xcb_generic_error_t* error = xcb_request_check(c, cookie);
  std::free(error);
  return error != nullptr;
}

const xcb_query_extension_reply_t* Extension(xcb_connection_t* c, xcb_extension_t* id) {
  const xcb_query_extension_reply_t* reply = xcb_get_extension_data(c, id);
  return reply != nullptr && reply->present != 0 ? reply : nullptr;
}

// Whether the window's pixels are the bitmap's as they stand: 0xffRRGGBB in
// 32 bits of the server's byte order, which must be the program's.
bool TakesBitmapPixels(xcb_connection_t* c, xcb_visualid_t visual, uint8_t depth) {
  const xcb_setup_t* setup = xcb_get_setup(c);
  constexpr uint8_t ours =
      Q_BYTE_ORDER == Q_LITTLE_ENDIAN ? XCB_IMAGE_ORDER_LSB_FIRST : XCB_IMAGE_ORDER_MSB_FIRST;
  if (setup->image_byte_order != ours) return false;
  bool wholeWords = false;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem > 0; xcb_format_next(&f))
    if (f.data->depth == depth) wholeWords = f.data->bits_per_pixel == 32;
  if (!wholeWords) return false;
  for (auto s = xcb_setup_roots_iterator(setup); s.rem > 0; xcb_screen_next(&s))
    for (auto d = xcb_screen_allowed_depths_iterator(s.data); d.rem > 0; xcb_depth_next(&d))
      for (auto v = xcb_depth_visuals_iterator(d.data); v.rem > 0; xcb_visualtype_next(&v))
        if (v.data->visual_id == visual)
          return v.data->red_mask == 0xff0000 && v.data->green_mask == 0xff00 &&
                 v.data->blue_mask == 0xff;
  return false;
}

} // namespace

struct X11Display::Connection {
  xcb_connection_t* c = nullptr;
  xcb_window_t window = 0;
  xcb_gcontext_t gc = 0;
  xcb_shm_seg_t segment = 0;
  uint8_t completionEvent = 0;
  uint32_t* memory = nullptr;
  uint8_t depth = 0;
  int scale = 1;
  QRect area; // in the program's window, logical pixels
  QRect hole; // in the bitmap's coordinates
  const Bitmap* source = nullptr;
  bool obscured = true; // partly covered by another window, or unmapped
  QRegion waiting;      // the bitmap's pixels not yet put

  // The shared memory is a ring of `ring` pixels. Each round of puts takes
  // one stretch of it; a stretch is free again once the server has answered a
  // put of its round or a later one (it handles requests in order). A round
  // asks for that answer when more than `unanswered` pixels would otherwise
  // wait for one: every stretch then finds room, at most the whole area,
  // after at most one answer, and the answers come seldom.
  struct Round {
    size_t offset, pixels;
    bool answered; // its last put asks the server to answer
  };
  size_t ring = 0, unanswered = 0, head = 0;
  std::deque<Round> rounds;

  ~Connection() {
    if (gc != 0) xcb_free_gc(c, gc);
    if (window != 0) xcb_destroy_window(c, window);
    if (segment != 0) xcb_shm_detach(c, segment);
    if (c != nullptr) xcb_flush(c);
    if (memory != nullptr) shmdt(memory);
  }

  QRect Extent() const { return {QPoint(0, 0), area.size()}; }
  QRect Device(QRect r) const {
    return {r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale};
  }

  // Where `pixels` free pixels follow each other in the ring, if they do.
  std::optional<size_t> Room(size_t pixels) const {
    if (rounds.empty()) return pixels <= ring ? std::optional<size_t>(0) : std::nullopt;
    const size_t tail = rounds.front().offset;
    if (tail < head) { // in use: [tail, head)
      if (head + pixels <= ring) return head;
      if (pixels <= tail) return 0;
    } else if (head + pixels <= tail) { // in use: [tail, ring) and [0, head)
      return head;
    }
    return std::nullopt;
  }

  // Puts what waits in one round, if the ring has room for it.
  void PutWaiting() {
    waiting &= QRegion(Extent()) - hole;
    size_t pixels = 0;
    for (const QRect& r : waiting)
      pixels += size_t(r.width()) * size_t(r.height()) * size_t(scale * scale);
    if (pixels == 0) return;
    const std::optional<size_t> start = Room(pixels);
    if (!start) return; // an answer on its way frees the room
    head = *start + pixels;
    const size_t tail = rounds.empty() ? *start : rounds.front().offset;
    const size_t used = tail < head ? head - tail : ring - tail + head;
    const bool answer = used > unanswered;
    uint32_t* to = memory + *start;
    const int count = waiting.rectCount();
    int n = 0;
    for (const QRect& r : waiting) {
      const QRect d = Device(r);
      const auto offset = static_cast<uint32_t>((to - memory) * sizeof(uint32_t));
      for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* from = source->Row(y) + r.left();
        uint32_t* const first = to;
        if (scale == 1)
          to = std::copy_n(from, r.width(), to);
        else
          for (int x = 0; x < r.width(); ++x)
            to = std::fill_n(to, scale, from[x]);
        for (int i = 1; i < scale; ++i)
          to = std::copy_n(first, d.width(), to);
      }
      const auto w = static_cast<uint16_t>(d.width()), h = static_cast<uint16_t>(d.height());
      xcb_shm_put_image(c, window, gc, w, h, 0, 0, w, h, static_cast<int16_t>(d.x()),
                        static_cast<int16_t>(d.y()), depth, XCB_IMAGE_FORMAT_Z_PIXMAP,
                        answer && ++n == count, segment, offset);
    }
    rounds.push_back({*start, pixels, answer});
    waiting = QRegion();
  }

  // The server answered the round whose last put began at byte `offset`:
  // that round and every one before it are free.
  void Answered(uint32_t offset) {
    while (!rounds.empty()) {
      const Round round = rounds.front();
      rounds.pop_front();
      if (round.answered && offset >= round.offset * sizeof(uint32_t) &&
          offset < (round.offset + round.pixels) * sizeof(uint32_t))
        break;
    }
  }
};

std::unique_ptr<X11Display> X11Display::Create(QWidget* window, QRect area, const Bitmap& source,
                                               QWidget* above) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
  const qreal ratio = window->devicePixelRatioF();
  const int scale = static_cast<int>(std::lround(ratio));
  if (scale < 1 || ratio != scale) return nullptr;
  xcb_connection_t* const c = x11->connection();
  const xcb_query_extension_reply_t* shm = Extension(c, &xcb_shm_id);
  if (shm == nullptr || Extension(c, &xcb_shape_id) == nullptr) return nullptr;
  const auto parent = static_cast<xcb_window_t>(window->winId());
  const Owned attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, parent), nullptr));
  const Owned geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), nullptr));
  if (!attributes || !geometry || !TakesBitmapPixels(c, attributes->visual, geometry->depth))
    return nullptr;

  auto x = std::make_unique<Connection>();
  x->c = c;
  x->completionEvent = static_cast<uint8_t>(shm->first_event + XCB_SHM_COMPLETION);
  x->depth = geometry->depth;
  x->scale = scale;
  x->area = area;
  x->source = &source;
  const QRect device(area.topLeft() * scale, area.size() * scale);
  const size_t whole = size_t(device.width()) * size_t(device.height());
  // A small view, put whole with every block, asks for an answer only every
  // few blocks too.
  x->unanswered = std::max(whole / 2, size_t{1} << 20);
  // Twice the whole area besides what may wait for an answer: the larger of
  // the free ring's two ends holds the whole area.
  x->ring = 2 * whole + x->unanswered;
  const int shmid = shmget(IPC_PRIVATE, x->ring * sizeof(uint32_t), IPC_CREAT | 0600);
  if (shmid < 0) return nullptr;
  void* memory = shmat(shmid, nullptr, 0);
  // Freed once both sides detach, also when the program dies.
  shmctl(shmid, IPC_RMID, nullptr);
  if (memory == reinterpret_cast<void*>(-1)) return nullptr;
  x->memory = static_cast<uint32_t*>(memory);
  // A server on another machine cannot reach our memory: it refuses the
  // attach, and the window's repaint shows the view instead.
  const xcb_shm_seg_t segment = xcb_generate_id(c);
  if (Refused(c, xcb_shm_attach_checked(c, segment, static_cast<uint32_t>(shmid), 1)))
    return nullptr;
  x->segment = segment;

  // What is not put yet keeps what was there.
  const uint32_t values[] = {XCB_BACK_PIXMAP_NONE,
                             XCB_EVENT_MASK_EXPOSURE | XCB_EVENT_MASK_VISIBILITY_CHANGE};
  const xcb_window_t child = xcb_generate_id(c);
  if (Refused(c, xcb_create_window_checked(
                     c, x->depth, child, parent, static_cast<int16_t>(device.x()),
                     static_cast<int16_t>(device.y()), static_cast<uint16_t>(device.width()),
                     static_cast<uint16_t>(device.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                     attributes->visual, XCB_CW_BACK_PIXMAP | XCB_CW_EVENT_MASK, values)))
    return nullptr;
  x->window = child;
  x->gc = xcb_generate_id(c);
  const uint32_t noExposures = 0; // a copy needs no answer
  xcb_create_gc(c, x->gc, child, XCB_GC_GRAPHICS_EXPOSURES, &noExposures);

  std::unique_ptr<X11Display> shown(new X11Display(std::move(x), above));
  shown->FollowHole();
  xcb_map_window(c, child);
  xcb_flush(c);
  return shown;
}

X11Display::X11Display(std::unique_ptr<Connection> x, QWidget* above)
    : x_(std::move(x)), above_(above) {
  QCoreApplication::instance()->installNativeEventFilter(this);
  if (above_ != nullptr) above_->installEventFilter(this);
}

X11Display::~X11Display() {
  QCoreApplication::instance()->removeNativeEventFilter(this);
  if (above_ != nullptr) above_->removeEventFilter(this);
}

void X11Display::Put(QRect rect, const Bitmap* source) {
  if (source != nullptr) x_->source = source;
  x_->waiting += rect;
  FlushSoon();
}

void X11Display::ScrollLeft(int distance) {
  Connection& x = *x_;
  const int width = x.area.width(), height = x.area.height();
  if (distance <= 0) return;
  if (x.obscured || distance >= width) {
    // What another window covers cannot be copied: the whole picture goes.
    x.waiting = x.Extent();
  } else {
    const QRect moved = x.Device(QRect(0, 0, width - distance, height));
    xcb_copy_area(x.c, x.window, x.window, x.gc, static_cast<int16_t>(distance * x.scale), 0, 0, 0,
                  static_cast<uint16_t>(moved.width()), static_cast<uint16_t>(moved.height()));
    // What waited moved with the picture; the freed columns, and those that
    // came from under the hole, were not there to copy.
    x.waiting.translate(-distance, 0);
    x.waiting += QRect(width - distance, 0, distance, height);
    x.waiting += x.hole.translated(-distance, 0);
  }
  FlushSoon();
}

// Everything one event's handling hands over leaves together, after it.
void X11Display::FlushSoon() {
  if (flushPosted_) return;
  flushPosted_ = true;
  QCoreApplication::postEvent(this, new QEvent(FlushEvent), Qt::LowEventPriority);
}

bool X11Display::event(QEvent* event) {
  if (event->type() != FlushEvent) return QObject::event(event);
  flushPosted_ = false;
  x_->PutWaiting();
  xcb_flush(x_->c);
  return true;
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
  const QRect hole = above_ != nullptr && above_->isVisible()
                         ? (above_->geometry() & x.area).translated(-x.area.topLeft())
                         : QRect();
  if (hole == x.hole) return;
  x.waiting += QRegion(x.hole) - hole;
  x.hole = hole;
  std::vector<xcb_rectangle_t> shown;
  for (const QRect& r : QRegion(x.Extent()).subtracted(hole)) {
    const QRect d = x.Device(r);
    shown.push_back({static_cast<int16_t>(d.x()), static_cast<int16_t>(d.y()),
                     static_cast<uint16_t>(d.width()), static_cast<uint16_t>(d.height())});
  }
  xcb_shape_rectangles(x.c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                       x.window, 0, 0, static_cast<uint32_t>(shown.size()), shown.data());
  FlushSoon();
}

// The server's events about our window and memory, which come through Qt's
// event queue. An exposed window (mapped again, uncovered) is put whole. An
// error about our window (gone with the program's window) is no reason to warn.
bool X11Display::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  Connection& x = *x_;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  const uint8_t type = event->response_type & 0x7f;
  if (type == 0) {
    const auto* error = static_cast<const xcb_generic_error_t*>(message);
    return error->resource_id == x.window || error->resource_id == x.gc ||
           error->resource_id == x.segment;
  }
  if (type == x.completionEvent) {
    const auto* e = static_cast<const xcb_shm_completion_event_t*>(message);
    if (e->shmseg != x.segment) return false;
    x.Answered(e->offset);
    if (!x.waiting.isEmpty()) FlushSoon();
    return true;
  }
  if (type == XCB_VISIBILITY_NOTIFY) {
    const auto* e = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (e->window != x.window) return false;
    x.obscured = e->state != XCB_VISIBILITY_UNOBSCURED;
    return true;
  }
  if (type == XCB_EXPOSE) {
    const auto* e = static_cast<const xcb_expose_event_t*>(message);
    if (e->window != x.window) return false;
    x.waiting = x.Extent();
    FlushSoon();
    return true;
  }
  return false;
}
