// Painting the window from its bitmaps, with the sunken frames, and the
// ruler's labels on the paint box.

#include <QPainter>

#include "app/Main.h"
#include "views/RulerDrawing.h"

namespace {

// A one-pixel line without its end pixel, as the views draw them.
void Line(QPainter& painter, QPoint from, QPoint to) {
  const QPoint d = to - from;
  const int steps = std::max(std::abs(d.x()), std::abs(d.y()));
  if (steps == 0) return;
  const QPoint last(to.x() - (d.x() > 0) + (d.x() < 0), to.y() - (d.y() > 0) + (d.y() < 0));
  painter.drawLine(from, last);
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
  if (DisplayBitmap)
    painter.drawImage(Geometry::Display.Left, Geometry::Display.Top, DisplayBitmap->Image());
  if (ScopeBitmap)
    painter.drawImage(Geometry::Scope.Left, Geometry::Scope.Top, ScopeBitmap->Image());
  const QColor white = ToQColor(clWhite), shadow = ToQColor(clBtnShadow);
  painter.setPen(white);
  Line(painter, {2, 513}, {1013, 513});
  Line(painter, {1013, 513}, {1013, 0});
  painter.setPen(shadow);
  Line(painter, {1013, 0}, {1, 0});
  Line(painter, {1, 0}, {1, 514});
  Line(painter, {692, 720}, {692, 519});
  Line(painter, {692, 519}, {1013, 519});
  painter.setPen(white);
  Line(painter, {1013, 519}, {1013, 720});
  Line(painter, {1013, 720}, {693, 720});
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
  QPainter(PaintBox).drawImage(0, 0, canvas.Image());
}
