#include "platform/UpDown.h"

#include <algorithm>

#include <QEvent>
#include <QToolButton>

UpDown::UpDown(QWidget* parent, Qt::Orientation orientation)
    : QWidget(parent), orientation_(orientation), increase_(new QToolButton(this)),
      decrease_(new QToolButton(this)) {
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

bool UpDown::CanChange() {
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  return allow;
}

void UpDown::SetPosition(int16_t position) {
  if (position == position_) return;
  if (!CanChange()) return;
  position_ = position;
}

int16_t UpDown::Clamp(int value) const {
  return static_cast<int16_t>(std::clamp(value, std::min(Min, Max), std::max(Min, Max)));
}

void UpDown::Step(int delta) {
  const int16_t target = Clamp(position_ + delta);
  if (target == position_) return;
  if (!CanChange()) return;
  position_ = target;
  if (OnClick) OnClick(this);
}

void UpDown::resizeEvent(QResizeEvent*) {
  const int w = width(), h = height();
  if (orientation_ == Qt::Vertical) {
    increase_->setGeometry(0, 0, w, h / 2);
    decrease_->setGeometry(0, h / 2, w, h - h / 2);
  } else {
    decrease_->setGeometry(0, 0, w / 2, h);
    increase_->setGeometry(w / 2, 0, w - w / 2, h);
  }
}

void UpDown::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    increase_->setEnabled(isEnabled());
    decrease_->setEnabled(isEnabled());
  }
  QWidget::changeEvent(event);
}
