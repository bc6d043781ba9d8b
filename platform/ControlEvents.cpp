// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ControlEvents.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QtMath>

MouseEvents::MouseEvents(QWidget* control, const QList<QWidget*>& parts)
    : QObject(control), control_(control) {
  control->setMouseTracking(true);
  control->installEventFilter(this);
  for (QWidget* part : parts) {
    part->setMouseTracking(true);
    part->installEventFilter(this);
  }
}

MouseEvents& MouseEvents::Of(QWidget* control, const QList<QWidget*>& parts) {
  if (auto* existing = control->findChild<MouseEvents*>(QString(), Qt::FindDirectChildrenOnly))
    return *existing;
  return *new MouseEvents(control, parts);
}

bool MouseEvents::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
      type != QEvent::MouseButtonRelease)
    return false;
  auto* mouse = static_cast<QMouseEvent*>(event);
  auto* widget = static_cast<QWidget*>(watched);
  // The pixel the pointer is on. On a scaled screen the pointer can stand
  // inside a logical pixel: Qt rounds the widget position to the nearest
  // pixel but keeps the window position exact, so the fraction comes back
  // from the latter before the pixel is taken.
  const QPointF scene = mouse->scenePosition();
  const QPointF at = mouse->position() + (scene - scene.toPoint());
  const QPoint p = widget->mapTo(control_, QPoint(qFloor(at.x()), qFloor(at.y())));
  if (type == QEvent::MouseButtonPress && OnMouseDown)
    OnMouseDown(control_, mouse->button(), mouse->modifiers(), p.x(), p.y());
  else if (type == QEvent::MouseMove && OnMouseMove)
    OnMouseMove(control_, mouse->modifiers(), p.x(), p.y());
  else if (type == QEvent::MouseButtonRelease && OnMouseUp)
    OnMouseUp(control_, mouse->button(), mouse->modifiers(), p.x(), p.y());
  return false;
}

void ReportMouseRelease(QWidget* control, const QPoint& at) {
  const QPointF local(at);
  QMouseEvent release(QEvent::MouseButtonRelease, local, control->mapTo(control->window(), local),
                      control->mapToGlobal(local), Qt::LeftButton, Qt::NoButton,
                      QGuiApplication::keyboardModifiers());
  QCoreApplication::sendEvent(control, &release);
}
