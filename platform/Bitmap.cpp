// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Bitmap.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

#include <sys/mman.h>

#include <QPainter>

#include "platform/WindowFont.h"

namespace {

// A bitmap with scroll room is written and read a few columns at a time, a
// few pixels in every row: on huge pages those rows share a handful of the
// processor's address translations instead of needing one each.
constexpr size_t HugePage = size_t{2} << 20;

QImage ScrollingImage(int width, int height) {
  const size_t bytes = size_t(width) * size_t(height) * sizeof(QRgb);
  const size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
  void* memory = std::aligned_alloc(HugePage, rounded);
  if (memory == nullptr) return QImage(width, height, QImage::Format_RGB32);
  madvise(memory, rounded, MADV_HUGEPAGE);
  return QImage(static_cast<uchar*>(memory), width, height, width * qsizetype{sizeof(QRgb)},
                QImage::Format_RGB32, std::free, memory);
}

} // namespace

Bitmap::Bitmap(int width, int height, int scrollRoom)
    : image_(scrollRoom > 0 ? ScrollingImage(width + scrollRoom, height)
                            : QImage(width, height, QImage::Format_RGB32)),
      width_(width) {
  image_.fill(Qt::black);
}

QRgb* Bitmap::Pixels() {
  return reinterpret_cast<QRgb*>(image_.bits()) + origin_;
}

const QRgb* Bitmap::Pixels() const {
  return reinterpret_cast<const QRgb*>(image_.constBits()) + origin_;
}

QImage Bitmap::Image() const {
  return image_.width() == width_ ? image_ : image_.copy(origin_, 0, width_, Height());
}

void Bitmap::Draw(QPainter& painter, QPoint at, const QRect& source) const {
  painter.drawImage(at, image_, source.translated(origin_, 0));
}

void Bitmap::FillRect(int left, int top, int right, int bottom) {
  left = std::max(left, 0);
  top = std::max(top, 0);
  right = std::min(right, Width());
  bottom = std::min(bottom, Height());
  if (left >= right || top >= bottom) return;
  const QRgb rgb = ToQRgb(BrushColor);
  // The first row is filled pixel by pixel, the others are block copies of it.
  QRgb* const pixels = Pixels();
  const qsizetype stride = Stride();
  QRgb* const first = pixels + top * stride + left;
  std::fill(first, first + (right - left), rgb);
  const size_t bytes = static_cast<size_t>(right - left) * sizeof(QRgb);
  for (int y = top + 1; y < bottom; ++y)
    std::memcpy(pixels + y * stride + left, first, bytes);
}

void Bitmap::MoveTo(int x, int y) {
  pen_ = QPoint(x, y);
}

void Bitmap::Plot(int x, int y, QRgb rgb) {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
  Pixels()[y * Stride() + x] = rgb;
}

// Pixel i of the line (0 <= i < n along the major axis) lies at
// major0 + i and minor0 + floor((2 i |dminor| + n) / 2n): the midpoint rule.
// Only the steps whose major coordinate falls inside the bitmap are walked,
// so lines far outside cost nothing.
void Bitmap::LineTo(int x, int y) {
  const QRgb rgb = ToQRgb(PenColor);
  const int64_t x0 = pen_.x(), y0 = pen_.y();
  const int64_t dx = x - x0, dy = y - y0;
  pen_ = QPoint(x, y);
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t n = xMajor ? std::llabs(dx) : std::llabs(dy);
  if (n == 0) return;
  const int64_t majorStep = (xMajor ? dx : dy) < 0 ? -1 : 1;
  const int64_t minorDelta = xMajor ? dy : dx;
  const int64_t minorStep = minorDelta < 0 ? -1 : 1;
  const int64_t minorAbs = std::llabs(minorDelta);
  const int64_t major0 = xMajor ? x0 : y0;
  const int64_t minor0 = xMajor ? y0 : x0;
  const int64_t limit = xMajor ? Width() : Height();

  // Steps i with 0 <= major0 + i * majorStep < limit.
  int64_t first, last;
  if (majorStep > 0) {
    first = std::max<int64_t>(0, -major0);
    last = std::min<int64_t>(n - 1, limit - 1 - major0);
  } else {
    first = std::max<int64_t>(0, major0 - (limit - 1));
    last = std::min<int64_t>(n - 1, major0);
  }
  if (first > last) return;
  // One detach for the whole line rather than one per pixel.
  QRgb* const bits = Pixels();
  const qsizetype stride = Stride();
  const int64_t width = Width(), height = Height();
  // 2 i |dminor| needs up to 66 bits for lines across the whole int range, so
  // the first visible step is placed in 128 bits (a line that starts inside
  // needs no division) and the walk goes on with a remainder below 2n.
  __extension__ using Int128 = __int128;
  int64_t offset = 0, remainder = n;
  if (first > 0) {
    const Int128 start = Int128{2} * first * minorAbs + n;
    offset = static_cast<int64_t>(start / (2 * n));
    remainder = static_cast<int64_t>(start % (2 * n));
  }
  // The major coordinate stays inside by the choice of steps; only the minor
  // one is checked. One loop per axis keeps the choice out of the walk.
  const auto walk = [&](auto xMajorAxis) {
    constexpr bool alongX = decltype(xMajorAxis)::value;
    const int64_t minorLimit = alongX ? height : width;
    for (int64_t i = first; i <= last; ++i) {
      const int64_t major = major0 + i * majorStep;
      const int64_t minor = minor0 + minorStep * offset;
      if (minor >= 0 && minor < minorLimit)
        bits[alongX ? minor * stride + major : major * stride + minor] = rgb;
      remainder += 2 * minorAbs;
      if (remainder >= 2 * n) {
        remainder -= 2 * n;
        ++offset;
      }
    }
  };
  if (xMajor)
    walk(std::true_type{});
  else
    walk(std::false_type{});
}

void Bitmap::SetPixel(int x, int y, TColor color) {
  Plot(x, y, ToQRgb(color));
}

void Bitmap::SetColumn(int x, int top, const TColor* colors, int count) {
  if (x < 0 || x >= Width()) return;
  const int first = std::max(top, 0), end = std::min<int64_t>(int64_t{top} + count, Height());
  if (first >= end) return;
  // One detach for the whole column rather than one per pixel.
  QRgb* const pixels = Pixels() + x;
  const qsizetype stride = Stride();
  for (int y = first; y < end; ++y)
    pixels[y * stride] = ToQRgb(colors[y - top]);
}

TColor Bitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= Width() || y >= Height()) return CLR_INVALID;
  return FromQRgb(Pixels()[y * Stride() + x]);
}

void Bitmap::CopyRect(int dx, int dy, int width, int height, const Bitmap& src, int sx, int sy) {
  // Clip against both bitmaps, moving source and destination together.
  if (dx < 0) {
    width += dx;
    sx -= dx;
    dx = 0;
  }
  if (dy < 0) {
    height += dy;
    sy -= dy;
    dy = 0;
  }
  if (sx < 0) {
    width += sx;
    dx -= sx;
    sx = 0;
  }
  if (sy < 0) {
    height += sy;
    dy -= sy;
    sy = 0;
  }
  width = std::min({width, Width() - dx, src.Width() - sx});
  height = std::min({height, Height() - dy, src.Height() - sy});
  if (width <= 0 || height <= 0) return;
  const bool sameImage = &src == this;
  const size_t bytes = static_cast<size_t>(width) * sizeof(QRgb);
  // The destination detaches first, so a source sharing its pixels is read
  // from its own copy; then both are walked by row without further detaches.
  QRgb* const toPixels = Pixels();
  const QRgb* const fromPixels = src.Pixels();
  const qsizetype toStride = Stride(), fromStride = src.Stride();
  // Rows are walked away from the overlap so a self-copy reads before it writes.
  const bool bottomUp = sameImage && dy > sy;
  for (int k = 0; k < height; ++k) {
    const int row = bottomUp ? height - 1 - k : k;
    const QRgb* from = fromPixels + (sy + row) * fromStride + sx;
    QRgb* to = toPixels + (dy + row) * toStride + dx;
    std::memmove(to, from, bytes);
  }
}

void Bitmap::ScrollLeft(int distance, const Bitmap& edge) {
  if (distance <= 0) return;
  const int width = Width();
  const int kept = std::max(width - distance, 0);
  const int room = image_.width() - width;
  const auto pixelBytes = [](int count) { return static_cast<size_t>(count) * sizeof(QRgb); };
  const qsizetype stride = Stride();
  // With room to spare the pixels stay where they are and their start moves;
  // once the room is used up they go back to the left edge first.
  const bool moveStart = kept > 0 && distance <= room;
  if (moveStart && origin_ + distance > room) {
    QRgb* const base = reinterpret_cast<QRgb*>(image_.bits());
    for (int y = 0; y < Height(); ++y)
      std::memmove(base + y * stride, base + y * stride + origin_, pixelBytes(width));
    origin_ = 0;
  }
  QRgb* const pixels = Pixels();
  const QRgb* const edgePixels = edge.Pixels();
  for (int y = 0; y < Height(); ++y) {
    QRgb* const row = pixels + y * stride;
    const bool pasted = y < edge.Height() && edge.Width() > 0;
    if (!moveStart)
      std::memmove(row, row + distance, pixelBytes(kept));
    else if (!pasted)
      // The freed columns keep the row's old right part, as a self-copy leaves it.
      std::memcpy(row + width, row + kept, pixelBytes(distance));
    // Read after the move, as the paste that follows a self-copy would.
    if (pasted) {
      QRgb* const shown = moveStart ? row + distance : row;
      std::fill(shown + kept, shown + width, edgePixels[y * edge.Stride()]);
    }
  }
  if (moveStart) origin_ += distance;
}

Bitmap::RowSpan Bitmap::RowsDifferingFrom(const Bitmap& other) const {
  if (other.Width() != Width() || other.Height() != Height()) return {0, Height()};
  const auto bytes = static_cast<size_t>(Width()) * sizeof(QRgb);
  const auto differs = [&](int y) { return std::memcmp(Row(y), other.Row(y), bytes) != 0; };
  // From each end to the first difference: a changing trace is found in a
  // few rows rather than all of them.
  int first = 0;
  while (first < Height() && !differs(first))
    ++first;
  if (first == Height()) return {};
  int last = Height() - 1;
  while (!differs(last))
    --last;
  return {first, last - first + 1};
}

void Bitmap::TextOut(int x, int y, const QString& text) {
  QPainter painter(&image_);
  painter.setClipRect(origin_, 0, width_, Height());
  painter.translate(origin_, 0);
  const QFont font = WindowFont();
  painter.setFont(font);
  const QFontMetrics metrics(font);
  const QRect box(x, y, metrics.horizontalAdvance(text), metrics.height());
  painter.fillRect(box, ToQColor(BrushColor));
  painter.setPen(ToQColor(FontColor));
  painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
}

void Bitmap::Frame3D(QRect r, TColor topLeft, TColor bottomRight) {
  const int left = r.left(), top = r.top();
  const int right = r.left() + r.width() - 1, bottom = r.top() + r.height() - 1;
  PenColor = topLeft;
  MoveTo(left, bottom);
  LineTo(left, top);
  LineTo(right, top);
  PenColor = bottomRight;
  LineTo(right, bottom);
  LineTo(left - 1, bottom);
}
