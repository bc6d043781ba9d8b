#include "platform/X11Display.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>
#include <vector>

#include <sys/ipc.h>
#include <sys/shm.h>

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QImage>
#include <QRegion>
#include <QWidget>

#include <xcb/shape.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>

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

bool HasExtension(xcb_connection_t* c, xcb_extension_t* id) {
  const xcb_query_extension_reply_t* reply = xcb_get_extension_data(c, id);
  return reply != nullptr && reply->present != 0;
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

// A request the server answers only after it has handled every request sent
// before it, shared by the views on the connection. One goes with every
// eighth round of requests: the answer wakes Qt's event thread, and the few
// rounds between keep the memory the puts reuse in the caches.
struct Fence {
  static constexpr int Every = 8;
  std::optional<unsigned int> waiting;
  unsigned int answered = 0;
  int roundsSince = 0;
};
Fence fence;

// The view whose posted flush will send every view's requests, if any.
const X11Display* flushPoster = nullptr;
// Gathers open, and whether a request waits for the last one to end.
int gathering = 0;
bool gathered = false;

// A column of pixels: row y's pixel is first[y * step], for y below height.
struct Column {
  const QRgb* first = nullptr;
  qsizetype step = 0;
  int height = 0;
};

// Column 0 of a bitmap; none for a bitmap without columns.
Column FirstColumnOf(const Bitmap* bitmap) {
  if (bitmap == nullptr || bitmap->Width() <= 0 || bitmap->Height() <= 0) return {};
  const qsizetype step = bitmap->Height() > 1 ? bitmap->Row(1) - bitmap->Row(0) : 0;
  return {bitmap->Row(0), step, bitmap->Height()};
}

// Whether a request of this sequence was sent at or before a later one.
bool NotAfter(unsigned int sequence, unsigned int later) {
  return static_cast<int>(sequence - later) <= 0;
}

// Whether the server has answered the fence of this sequence or a later one.
// The answer is read by Qt's event thread and waits here without a round trip.
bool Answered(xcb_connection_t* c, unsigned int sequence) {
  if (fence.waiting && NotAfter(sequence, *fence.waiting)) {
    void* reply = nullptr;
    xcb_generic_error_t* error = nullptr;
    if (xcb_poll_for_reply(c, *fence.waiting, &reply, &error) != 0) {
      std::free(reply);
      std::free(error);
      fence.answered = *std::exchange(fence.waiting, std::nullopt);
    }
  }
  return NotAfter(sequence, fence.answered);
}

} // namespace

struct X11Display::Connection {
  xcb_connection_t* c = nullptr;
  xcb_window_t window = 0;
  xcb_gcontext_t gc = 0;
  xcb_shm_seg_t segment = 0;
  int shmid = -1;
  uint32_t* memory = nullptr;
  size_t ringPixels = 0, ringOffset = 0;
  uint8_t depth = 0;
  int scale = 1;
  // Screen pixels per source pixel along each side: the scale for a bitmap
  // of logical pixels, 1 for a picture of screen pixels.
  int blocks = 1;
  QRect area; // in the program's window, logical pixels
  QRect hole; // in the bitmap's coordinates
  const Bitmap* source = nullptr;
  const QImage* devicePixels = nullptr;
  QWidget* above = nullptr;
  bool obscured = true; // partly covered by another window, or unmapped
  // A copy of the window onto itself from column `from` to 0, or a put of a
  // stretch of the shared memory, not yet handed to the connection.
  struct Request {
    static constexpr int PutFromMemory = -1;
    QRect device;
    int from;
    uint32_t offset;
  };
  std::vector<Request> pending;
  // The fence sent after this view's last requests, unless some were issued
  // after it.
  unsigned int coveringFence = 0;
  bool unfenced = false;
  // Which recorded column each of the source's columns repeats (-1: none
  // known). Every column a scroll frees repeats the column it was given, so
  // the columns that come out from under the hole are put from a few KB kept
  // here instead of from a row each of the whole bitmap, long out of the
  // caches. A slot is written again only once no column can still repeat it.
  std::vector<int> repeats;
  std::vector<QRgb> recorded; // slotCount x the source's height
  int slotCount = 0, nextSlot = 0;

  ~Connection() {
    if (gc != 0) xcb_free_gc(c, gc);
    if (window != 0) xcb_destroy_window(c, window);
    if (segment != 0) xcb_shm_detach(c, segment);
    if (c != nullptr) xcb_flush(c);
    if (memory != nullptr) shmdt(memory);
  }

  // Device pixels of a rectangle in the source's coordinates.
  QRect Device(QRect r) const {
    return {r.x() * blocks, r.y() * blocks, r.width() * blocks, r.height() * blocks};
  }
  // The source's size, in its own pixels.
  QSize Extent() const { return area.size() * scale / blocks; }
  const QRgb* Row(int y) const {
    return devicePixels != nullptr ? reinterpret_cast<const QRgb*>(devicePixels->constScanLine(y))
                                   : source->Row(y);
  }

  // Whether every put has been issued and the server has answered the fence
  // sent after them: the whole ring is then free, and the next puts write
  // where the last began, into memory both sides still have in their caches.
  bool AllPutsRead() {
    const bool putWaits = std::any_of(pending.begin(), pending.end(), [](const Request& r) {
      return r.from == Request::PutFromMemory;
    });
    return ringOffset != 0 && !putWaits && !unfenced && Answered(c, coveringFence);
  }

  // Copies rect of the source, each pixel as a scale x scale block, into the
  // next stretch of the shared memory, row after row with nothing between,
  // and puts it: the few new columns of a scroll fill a few pages rather than
  // a few bytes of every row. A stretch is written again only once the server
  // has answered a fence sent after its put, or else after the whole segment,
  // two views' worth, has been: the server, which handles requests in order,
  // has long read it by then.
  // With an edge, the rows it has repeat its one column instead: read from
  // there, the new columns of a scroll cost no reads of the whole bitmap's rows.
  void Put(QRect rect, Column edge = {}) {
    rect &= QRect(QPoint(0, 0), Extent());
    if (rect.isEmpty()) return;
    const QRect device = Device(rect);
    const size_t pixels = size_t(device.width()) * size_t(device.height());
    if (AllPutsRead() || ringOffset + pixels > ringPixels) ringOffset = 0;
    uint32_t* const base = memory + ringOffset;
    const int stride = device.width();
    for (int y = 0; y < rect.height(); ++y) {
      const QRgb* from = Row(rect.top() + y) + rect.left();
      uint32_t* const first = base + y * blocks * stride;
      if (rect.top() + y < edge.height) {
        std::fill_n(first, stride, edge.first[(rect.top() + y) * edge.step]);
      } else if (blocks == 1) {
        std::copy_n(from, rect.width(), first);
      } else if (blocks == 2) {
        // Each pixel and its twin in one store, a loop the compiler widens.
        for (int x = 0, width = rect.width(); x < width; ++x) {
          const uint64_t twins = uint64_t{from[x]} * 0x100000001u;
          std::memcpy(first + 2 * x, &twins, sizeof twins);
        }
      } else {
        uint32_t* to = first;
        for (int x = 0; x < rect.width(); ++x)
          to = std::fill_n(to, blocks, from[x]);
      }
      for (int i = 1; i < blocks; ++i)
        std::copy_n(first, stride, first + i * stride);
    }
    pending.push_back(
        {device, Request::PutFromMemory, static_cast<uint32_t>(ringOffset * sizeof(uint32_t))});
    ringOffset += pixels;
  }

  // Hands the requests to the connection, which sends them with its next
  // flush; whether there were any.
  bool Issue() {
    if (pending.empty()) return false;
    for (const Request& r : pending) {
      const auto w = static_cast<uint16_t>(r.device.width());
      const auto h = static_cast<uint16_t>(r.device.height());
      if (r.from == Request::PutFromMemory)
        xcb_shm_put_image(c, window, gc, w, h, 0, 0, w, h, static_cast<int16_t>(r.device.left()),
                          static_cast<int16_t>(r.device.top()), depth, XCB_IMAGE_FORMAT_Z_PIXMAP, 0,
                          segment, r.offset);
      else
        xcb_copy_area(c, window, window, gc, static_cast<int16_t>(r.from), 0, 0, 0, w, h);
    }
    pending.clear();
    return true;
  }

  // The views shown, whose requests go out together, in one write, with the
  // fence for all when one is due.
  static std::vector<Connection*>& Shown() {
    static std::vector<Connection*> shown;
    return shown;
  }

  static void IssueAll() {
    std::vector<Connection*>& shown = Shown();
    bool issued = false;
    for (Connection* x : shown)
      if (x->Issue()) issued = x->unfenced = true;
    if (!issued) return;
    xcb_connection_t* const c = shown.front()->c;
    if ((fence.waiting && !Answered(c, *fence.waiting)) || ++fence.roundsSince < Fence::Every)
      return;
    fence.roundsSince = 0;
    fence.waiting = xcb_get_input_focus(c).sequence;
    for (Connection* x : shown)
      if (std::exchange(x->unfenced, false)) x->coveringFence = *fence.waiting;
  }

  void PutAroundHole(QRect rect) {
    for (const QRect& r : QRegion(rect) - hole)
      Put(r);
  }

  // The source moved `distance` columns left, its freed columns repeating
  // edge's first column in every row, or, without such an edge, unknown.
  void RecordScroll(int distance, const Bitmap* edge) {
    const QSize extent = Extent();
    const int width = extent.width(), height = extent.height();
    repeats.resize(size_t(width), -1);
    const int kept = std::max(width - distance, 0);
    std::copy_n(repeats.begin() + (width - kept), kept, repeats.begin());
    const Column column = FirstColumnOf(edge);
    int slot = -1;
    if (column.height >= height && height > 0) {
      // Enough slots that one is reused only after its columns have left.
      const int needed = (width + distance - 1) / distance + 1;
      if (needed > slotCount) {
        slotCount = needed;
        nextSlot = 0;
        recorded.assign(size_t(slotCount) * size_t(height), 0);
        std::fill(repeats.begin(), repeats.end(), -1);
      }
      slot = nextSlot;
      nextSlot = (nextSlot + 1) % slotCount;
      QRgb* to = recorded.data() + size_t(slot) * size_t(height);
      for (int y = 0; y < height; ++y)
        to[y] = column.first[y * column.step];
    }
    std::fill(repeats.begin() + kept, repeats.end(), slot);
  }

  // The source's pixels of these columns changed other than by a scroll.
  void Forget(QRect rect) {
    const int columns = int(repeats.size());
    const int from = std::clamp(rect.left(), 0, columns);
    std::fill(repeats.begin() + from, repeats.begin() + std::clamp(rect.right() + 1, from, columns),
              -1);
  }

  // Puts rect, the columns that repeat a recorded column from there. After
  // a RecordScroll only: it knows every column.
  void PutRecorded(QRect rect) {
    rect &= QRect(QPoint(0, 0), Extent());
    const int height = Extent().height();
    for (int x = rect.left(), end = rect.right() + 1; x < end;) {
      const int slot = repeats[size_t(x)];
      int next = x + 1;
      while (next < end && repeats[size_t(next)] == slot)
        ++next;
      const QRect run(x, rect.top(), next - x, rect.height());
      if (slot >= 0)
        Put(run, {recorded.data() + size_t(slot) * size_t(height), 1, height});
      else
        Put(run);
      x = next;
    }
  }
};

std::unique_ptr<X11Display> X11Display::Create(QWidget* window, QRect area, const Bitmap& source,
                                               QWidget* above) {
  return Make(window, area, &source, nullptr, above);
}

std::unique_ptr<X11Display> X11Display::Create(QWidget* window, QRect area,
                                               const QImage& devicePixels) {
  return Make(window, area, nullptr, &devicePixels, nullptr);
}

std::unique_ptr<X11Display> X11Display::Make(QWidget* window, QRect area, const Bitmap* source,
                                             const QImage* devicePixels, QWidget* above) {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (x11 == nullptr || x11->connection() == nullptr) return nullptr;
  const qreal ratio = window->devicePixelRatioF();
  const int scale = static_cast<int>(std::lround(ratio));
  if (scale < 1 || ratio != scale) return nullptr;
  xcb_connection_t* const c = x11->connection();
  if (!HasExtension(c, &xcb_shm_id) || !HasExtension(c, &xcb_shape_id)) return nullptr;
  const auto parent = static_cast<xcb_window_t>(window->winId());
  const Owned attributes(
      xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, parent), nullptr));
  const Owned geometry(xcb_get_geometry_reply(c, xcb_get_geometry(c, parent), nullptr));
  if (!attributes || !geometry || !TakesBitmapPixels(c, attributes->visual, geometry->depth))
    return nullptr;

  auto x = std::make_unique<Connection>();
  x->c = c;
  x->depth = geometry->depth;
  x->scale = scale;
  x->area = area;
  x->source = source;
  x->devicePixels = devicePixels;
  if (devicePixels != nullptr) {
    if (devicePixels->size() != area.size() * scale ||
        devicePixels->format() != QImage::Format_RGB32)
      return nullptr;
  } else {
    x->blocks = scale;
  }
  x->above = above;
  const QRect device(area.topLeft() * scale, area.size() * scale);
  x->ringPixels = 2 * size_t(device.width()) * size_t(device.height());
  x->shmid = shmget(IPC_PRIVATE, x->ringPixels * sizeof(uint32_t), IPC_CREAT | 0600);
  if (x->shmid < 0) return nullptr;
  void* memory = shmat(x->shmid, nullptr, 0);
  // Freed once both sides detach, also when the program dies.
  shmctl(x->shmid, IPC_RMID, nullptr);
  if (memory == reinterpret_cast<void*>(-1)) return nullptr;
  x->memory = static_cast<uint32_t*>(memory);
  // A server on another machine cannot reach our memory: it refuses the
  // attach, and the window's repaint shows the view instead.
  const xcb_shm_seg_t segment = xcb_generate_id(c);
  if (Refused(c, xcb_shm_attach_checked(c, segment, static_cast<uint32_t>(x->shmid), 1)))
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

  std::unique_ptr<X11Display> shown(new X11Display(std::move(x)));
  if (above != nullptr) above->installEventFilter(shown.get());
  shown->window_ = window;
  window->installEventFilter(shown.get());
  shown->FollowHole();
  xcb_map_window(c, child);
  xcb_flush(c);
  return shown;
}

X11Display::X11Display(std::unique_ptr<Connection> x) : x_(std::move(x)) {
  QCoreApplication::instance()->installNativeEventFilter(this);
  Connection::Shown().push_back(x_.get());
}

X11Display::~X11Display() {
  // Its flush goes with it: the next view's request posts another.
  if (flushPoster == this) flushPoster = nullptr;
  std::erase(Connection::Shown(), x_.get());
  QCoreApplication::instance()->removeNativeEventFilter(this);
  if (x_->above != nullptr) x_->above->removeEventFilter(this);
  window_->removeEventFilter(this);
}

void X11Display::Put(QRect rect, const Bitmap* source) {
  if (source != nullptr && source != x_->source) x_->Forget(QRect(QPoint(0, 0), x_->Extent()));
  if (source != nullptr) x_->source = source;
  x_->Forget(rect);
  x_->PutAroundHole(rect);
  FlushSoon();
}

void X11Display::ScrollLeft(int distance, const Bitmap* edge) {
  Connection& x = *x_;
  const int width = x.area.width(), height = x.area.height();
  if (distance <= 0) return;
  x.RecordScroll(distance, edge);
  if (x.obscured || distance >= width) {
    // What another window covers cannot be copied: the whole picture goes,
    // and the columns keep what they repeat.
    x.PutAroundHole(QRect(0, 0, width, height));
    FlushSoon();
    return;
  }
  x.pending.push_back({x.Device(QRect(0, 0, width - distance, height)), distance * x.blocks, 0});
  x.Put(QRect(width - distance, 0, distance, height), FirstColumnOf(edge));
  // The columns that came from under the hole were not there to copy.
  if (!x.hole.isEmpty())
    x.PutRecorded(QRect(x.hole.left() - distance, x.hole.top(), distance, x.hole.height()));
  FlushSoon();
}

// The requests wait for the window's repaint of the same block: Qt's event
// loop flushes the connection between its rounds of posted events, and the
// repaint request comes in the round after the block. Handed over just before
// Qt paints, they leave with Qt's own requests in one write, which wakes the
// server once. This flush, posted behind the repaint request, sends them when
// the block repainted nothing of Qt's; one view posts it for all.
void X11Display::FlushSoon() {
  if (gathering > 0) {
    gathered = true;
    return;
  }
  if (flushPoster != nullptr) return;
  flushPoster = this;
  QCoreApplication::postEvent(this, new QEvent(FlushEvent), Qt::LowEventPriority);
}

bool X11Display::event(QEvent* event) {
  if (event->type() != FlushEvent) return QObject::event(event);
  flushPoster = nullptr;
  Send();
  return true;
}

void X11Display::Send() {
  const std::vector<Connection*>& shown = Connection::Shown();
  if (shown.empty()) return;
  Connection::IssueAll();
  xcb_flush(shown.front()->c);
}

X11Display::Gather::Gather() {
  ++gathering;
}

X11Display::Gather::~Gather() {
  if (--gathering > 0 || !std::exchange(gathered, false)) return;
  Send();
}

bool X11Display::eventFilter(QObject* watched, QEvent* event) {
  if (watched == window_) {
    if (event->type() == QEvent::UpdateRequest) Connection::IssueAll();
    return false;
  }
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
  const QRect hole = x.above != nullptr && x.above->isVisible()
                         ? (x.above->geometry() & x.area).translated(-x.area.topLeft())
                         : QRect();
  if (hole == x.hole) return;
  const QRect earlier = x.hole;
  x.hole = hole;
  std::vector<xcb_rectangle_t> shown;
  for (const QRect& r : QRegion(QRect(QPoint(0, 0), x.area.size())).subtracted(hole)) {
    const QRect d = x.Device(r);
    shown.push_back({static_cast<int16_t>(d.x()), static_cast<int16_t>(d.y()),
                     static_cast<uint16_t>(d.width()), static_cast<uint16_t>(d.height())});
  }
  xcb_shape_rectangles(x.c, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_BOUNDING, XCB_CLIP_ORDERING_UNSORTED,
                       x.window, 0, 0, static_cast<uint32_t>(shown.size()), shown.data());
  for (const QRect& r : QRegion(earlier).subtracted(hole))
    x.Put(r);
  FlushSoon();
}

// Exposures and visibility of our window, which come through Qt's event
// queue: an exposed part is put again. An error about our window (gone with
// the program's window) is no reason to warn.
bool X11Display::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  Connection& x = *x_;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  switch (event->response_type & 0x7f) {
  case 0: {
    const auto* error = static_cast<const xcb_generic_error_t*>(message);
    return error->resource_id == x.window || error->resource_id == x.gc ||
           error->resource_id == x.segment;
  }
  case XCB_VISIBILITY_NOTIFY: {
    const auto* e = static_cast<const xcb_visibility_notify_event_t*>(message);
    if (e->window != x.window) return false;
    x.obscured = e->state != XCB_VISIBILITY_UNOBSCURED;
    return true;
  }
  case XCB_EXPOSE: {
    const auto* e = static_cast<const xcb_expose_event_t*>(message);
    if (e->window != x.window) return false;
    // The source's pixels the exposed device pixels belong to.
    const int b = x.blocks;
    const int left = e->x / b, top = e->y / b;
    const int right = (e->x + e->width + b - 1) / b, bottom = (e->y + e->height + b - 1) / b;
    x.PutAroundHole(QRect(left, top, right - left, bottom - top));
    FlushSoon();
    return true;
  }
  default:
    return false;
  }
}
