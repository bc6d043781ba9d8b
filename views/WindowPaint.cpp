// Painting the window from its bitmaps, the ruler, and the mouse.

#include <QPainter>

#include "app/Main.h"

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

void TForm1::FormPaint(QObject* Sender) {
  if (Sender == PaintBox) {
    QPainter painter(PaintBox);
    painter.fillRect(PaintBox->rect(), ToQColor(clBtnFace));
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

void TForm1::DrawRuler() {}

void TForm1::FormMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TForm1::FormMouseMove(QObject*, Qt::KeyboardModifiers, int, int) {}
void TForm1::FormMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TForm1::GeneratorGroupMouseMove(QObject*, Qt::KeyboardModifiers, int, int) {}
void TForm1::PaintBoxMouseDown(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
void TForm1::PaintBoxMouseMove(QObject*, Qt::KeyboardModifiers, int, int) {}
void TForm1::PaintBoxMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
