// SPDX-License-Identifier: GPL-3.0-or-later
// Painting the window from its bitmaps, with the sunken frames, and the
// ruler's labels on the paint box.

#include <utility>

#include <QPainter>

#include "app/Main.h"
#include "views/RulerDrawing.h"

namespace {

// A horizontal or vertical one-pixel line without its end pixel, as the views
// draw them. Filled as whole pixels, it stays one pixel wide and in place at
// any display scale, where a scaled pen would straddle two pixels.
void Line(QPainter& painter, const QColor& color, QPoint from, QPoint to) {
  if (from == to) return;
  const QPoint last(to.x() - (to.x() > from.x()) + (to.x() < from.x()),
                    to.y() - (to.y() > from.y()) + (to.y() < from.y()));
  painter.fillRect(Spanning(from, last), color);
}

// The pixels just outside an area: the columns left and right of it, the
// rows above and below it.
struct Edges {
  int Left, Top, Right, Bottom;
};
constexpr Edges Around(const Geometry::Area& a) {
  return {a.Left - 1, a.Top - 1, a.Left + a.Width, a.Top + a.Height};
}

// The sunken frames around the display and the oscilloscope: shadow along
// the top and left, white along the bottom and right.
void DrawFrames(QPainter& painter) {
  const QColor white = ToQColor(clWhite), shadow = ToQColor(clBtnShadow);
  const Edges d = Around(Geometry::Display), s = Around(Geometry::Scope);
  Line(painter, white, {d.Left + 1, d.Bottom}, {d.Right, d.Bottom});
  Line(painter, white, {d.Right, d.Bottom}, {d.Right, d.Top});
  Line(painter, shadow, {d.Right, d.Top}, {d.Left, d.Top});
  Line(painter, shadow, {d.Left, d.Top}, {d.Left, d.Bottom + 1});
  Line(painter, shadow, {s.Left, s.Bottom}, {s.Left, s.Top});
  Line(painter, shadow, {s.Left, s.Top}, {s.Right, s.Top});
  Line(painter, white, {s.Right, s.Top}, {s.Right, s.Bottom});
  Line(painter, white, {s.Right, s.Bottom}, {s.Left + 1, s.Bottom});
}

} // namespace

// The window and the paint box are painted by their own paint events, so
// each call paints only its sender: the paint box its labels, the window its
// bitmaps, background and frames.
//
// The window paints its region one rectangle at a time: with a one-rectangle
// clip Qt copies a bitmap line by line, where a clip of several rectangles
// sends every pixel through its span machinery and its thread pool. A
// rectangle the bitmaps cover (what a block asks for) needs nothing else.
void TForm1::FormPaint(QObject* Sender) {
  if (Sender == PaintBox) {
    if (RulerPanel->isVisible()) DrawRuler();
    return;
  }
  QPainter painter(this);
  // On a scaled screen every bitmap pixel becomes a block of whole screen
  // pixels: sharp, and the pointer's pixel is the bitmap's pixel.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const QBrush background = palette().brush(backgroundRole());
  const std::pair<Geometry::Area, const Bitmap*> bitmaps[] = {
      {Geometry::Display, DisplayBitmap.get()}, {Geometry::Scope, ScopeBitmap.get()}};
  for (const QRect& rect : paintRegion_) {
    painter.setClipRect(rect);
    int covered = 0;
    for (const auto& [area, bitmap] : bitmaps) {
      const QRect part = rect & ToQRect(area);
      if (bitmap == nullptr || part.isEmpty()) continue;
      bitmap->Draw(painter, part.topLeft(), part.translated(-area.Left, -area.Top));
      covered += part.width() * part.height();
    }
    if (covered == rect.width() * rect.height()) continue;
    QRegion rest(rect);
    for (const auto& [area, bitmap] : bitmaps)
      if (bitmap != nullptr) rest -= ToQRect(area);
    for (const QRect& part : rest)
      painter.fillRect(part, background);
    DrawFrames(painter);
  }
}

// Runs inside the paint box's paint event: the labels go to a bitmap on the
// button face, which then covers the paint box.
void TForm1::DrawRuler() {
  if (PaintBox->width() <= 0 || PaintBox->height() <= 0) return;
  const RulerChoice choice{Ruler->Checked(), SpectralAmp->Checked(), RB22K->Checked(),
                           RB11K->Checked(), RB6K->Checked(),        dB10->Checked(),
                           dB30->Checked(),  dB60->Checked()};
  Bitmap canvas(PaintBox->width(), PaintBox->height());
  canvas.BrushColor = clBtnFace;
  DrawRulerLabels(canvas, RulerLabels(choice));
  QPainter painter(PaintBox);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  canvas.Draw(painter, {0, 0}, {0, 0, canvas.Width(), canvas.Height()});
}
