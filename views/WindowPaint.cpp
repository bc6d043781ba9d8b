// Painting the window from its bitmaps, with the sunken frames, and the
// ruler's labels on the paint box.

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
  painter.fillRect(QRect(from, last).normalized(), color);
}

} // namespace

// The window and the paint box are painted by their own paint events, so
// each call paints only its sender: the paint box its labels, the window its
// bitmaps and frames.
void TForm1::FormPaint(QObject* Sender) {
  if (Sender == PaintBox) {
    if (RulerPanel->isVisible()) DrawRuler();
    return;
  }
  QPainter painter(this);
  // On a scaled screen every bitmap pixel becomes a block of whole screen
  // pixels: sharp, and the pointer's pixel is the bitmap's pixel.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  if (DisplayBitmap)
    painter.drawImage(Geometry::Display.Left, Geometry::Display.Top, DisplayBitmap->Image());
  if (ScopeBitmap)
    painter.drawImage(Geometry::Scope.Left, Geometry::Scope.Top, ScopeBitmap->Image());
  const QColor white = ToQColor(clWhite), shadow = ToQColor(clBtnShadow);
  Line(painter, white, {2, 513}, {1013, 513});
  Line(painter, white, {1013, 513}, {1013, 0});
  Line(painter, shadow, {1013, 0}, {1, 0});
  Line(painter, shadow, {1, 0}, {1, 514});
  Line(painter, shadow, {692, 720}, {692, 519});
  Line(painter, shadow, {692, 519}, {1013, 519});
  Line(painter, white, {1013, 519}, {1013, 720});
  Line(painter, white, {1013, 720}, {693, 720});
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
  painter.drawImage(0, 0, canvas.Image());
}
