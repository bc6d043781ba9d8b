// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/UpDown.h"

#include <algorithm>
#include <cstdlib>

#include <QAccessible>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolButton>

#include "platform/Accessibility.h"

namespace {

// The steps a key makes: the arrows one, the page keys ten; 0 for other keys.
int KeySteps(int key) {
  switch (key) {
  case Qt::Key_Up:
  case Qt::Key_Right:
    return 1;
  case Qt::Key_Down:
  case Qt::Key_Left:
    return -1;
  case Qt::Key_PageUp:
    return 10;
  case Qt::Key_PageDown:
    return -10;
  default:
    return 0;
  }
}

} // namespace

UpDown::UpDown(QWidget* parent, Qt::Orientation orientation)
    : QWidget(parent), orientation_(orientation), increase_(new QToolButton(this)),
      decrease_(new QToolButton(this)) {
  InstallControlAccessibility();
  // A Tab stop, but a click on an arrow leaves the focus where it was.
  setFocusPolicy(Qt::TabFocus);
  const bool vertical = orientation == Qt::Vertical;
  increase_->setArrowType(vertical ? Qt::UpArrow : Qt::RightArrow);
  decrease_->setArrowType(vertical ? Qt::DownArrow : Qt::LeftArrow);
  for (QToolButton* button : {increase_, decrease_}) {
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(6, 6));
  }
  // An arrow steps when it is pressed, and again on each repeat while held,
  // so the control's mouse-up comes after the step and sees its result.
  connect(increase_, &QToolButton::pressed, this, [this] { Step(1); });
  connect(decrease_, &QToolButton::pressed, this, [this] { Step(-1); });
}

bool UpDown::CanChange(int16_t target) {
  newPosition_ = target;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void UpDown::SetPosition(int16_t position) {
  if (position == position_) return;
  if (!CanChange(position)) return;
  position_ = position;
  ReportValue();
}

int16_t UpDown::Clamp(int value) const {
  return static_cast<int16_t>(std::clamp(value, std::min(Min, Max), std::max(Min, Max)));
}

void UpDown::Step(int delta) {
  const int16_t target = Clamp(position_ + delta);
  if (target == position_) return;
  if (!CanChange(target)) return;
  position_ = target;
  ReportValue();
  if (OnClick) OnClick(this);
}

void UpDown::ReportValue() {
  if (!QAccessible::isActive()) return;
  QAccessibleValueChangeEvent event(this, position_);
  QAccessible::updateAccessibility(&event);
}

// A key steps as clicks on the arrow do; its release ends the steps as the
// mouse button's release ends a click.
void UpDown::keyPressEvent(QKeyEvent* event) {
  const int steps = KeySteps(event->key());
  if (steps == 0) return QWidget::keyPressEvent(event);
  for (int i = 0; i < std::abs(steps); ++i)
    Step(steps > 0 ? 1 : -1);
}

void UpDown::keyReleaseEvent(QKeyEvent* event) {
  const int steps = KeySteps(event->key());
  if (steps == 0) return QWidget::keyReleaseEvent(event);
  if (!event->isAutoRepeat())
    ReportMouseRelease(this, (steps > 0 ? increase_ : decrease_)->geometry().center());
}

// With the focus the arrows leave a one-pixel frame free, drawn in the
// highlight colour.
void UpDown::resizeEvent(QResizeEvent*) {
  const QRect area = hasFocus() ? rect().adjusted(1, 1, -1, -1) : rect();
  const int x = area.x(), y = area.y(), w = area.width(), h = area.height();
  if (orientation_ == Qt::Vertical) {
    increase_->setGeometry(x, y, w, h / 2);
    decrease_->setGeometry(x, y + h / 2, w, h - h / 2);
  } else {
    decrease_->setGeometry(x, y, w / 2, h);
    increase_->setGeometry(x + w / 2, y, w - w / 2, h);
  }
}

void UpDown::paintEvent(QPaintEvent*) {
  if (!hasFocus()) return;
  QPainter painter(this);
  painter.setPen(palette().color(QPalette::Highlight));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void UpDown::focusInEvent(QFocusEvent* event) {
  resizeEvent(nullptr);
  QWidget::focusInEvent(event);
}

void UpDown::focusOutEvent(QFocusEvent* event) {
  resizeEvent(nullptr);
  QWidget::focusOutEvent(event);
}

void UpDown::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    increase_->setEnabled(isEnabled());
    decrease_->setEnabled(isEnabled());
  }
  QWidget::changeEvent(event);
}
