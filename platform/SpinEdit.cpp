// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/SpinEdit.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include "platform/Accessibility.h"
#include "platform/IntParse.h"

SpinEdit::SpinEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), up_(new QToolButton(this)),
      down_(new QToolButton(this)) {
  InstallControlAccessibility();
  // Only what can make up an integer can be typed; the program may set any text.
  edit_->setValidator(
      new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[-+0-9]*")), edit_));
  edit_->installEventFilter(this);
  // The text field takes the focus for the whole edit, wherever the edit
  // stands in the Tab walk.
  setFocusPolicy(edit_->focusPolicy());
  setFocusProxy(edit_);
  connect(edit_, &QLineEdit::textChanged, this, [this] {
    if (OnChange) OnChange(this);
  });
  for (QToolButton* button : {up_, down_}) {
    button->setArrowType(button == up_ ? Qt::UpArrow : Qt::DownArrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setIconSize(QSize(6, 4));
    // The buttons' mouse stays theirs; it never reaches the edit's own handlers.
    button->setAttribute(Qt::WA_NoMousePropagation);
  }
  connect(up_, &QToolButton::clicked, this, [this] { SetValue(Value() + 1); });
  connect(down_, &QToolButton::clicked, this, [this] { SetValue(Value() - 1); });
  SetText(QStringLiteral("0"));
}

int SpinEdit::CheckValue(int value) const {
  if (MaxValue == MinValue) return value;
  if (value < MinValue) return MinValue;
  if (value > MaxValue) return MaxValue;
  return value;
}

int SpinEdit::Value() const {
  return ParseInteger(edit_->text()).value_or(MinValue);
}

void SpinEdit::SetValue(int value) {
  SetText(QString::number(CheckValue(value)));
}

QString SpinEdit::Text() const {
  return edit_->text();
}

void SpinEdit::SetText(const QString& text) {
  if (edit_->text() != text) edit_->setText(text);
}

void SpinEdit::SetMaxLength(int characters) {
  edit_->setMaxLength(characters);
}

bool SpinEdit::eventFilter(QObject* watched, QEvent* event) {
  if (watched == edit_ && event->type() == QEvent::FocusOut) {
    const int value = Value();
    if (CheckValue(value) != value) SetValue(value);
  }
  // The arrow keys step as the small buttons do, the page keys by ten.
  if (watched == edit_ && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    const int step = key == Qt::Key_Up         ? 1
                     : key == Qt::Key_Down     ? -1
                     : key == Qt::Key_PageUp   ? 10
                     : key == Qt::Key_PageDown ? -10
                                               : 0;
    if (step != 0) {
      SetValue(Value() + step);
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void SpinEdit::resizeEvent(QResizeEvent*) {
  const int buttonWidth = 15;
  const int w = width(), h = height();
  edit_->setGeometry(0, 0, w - buttonWidth, h);
  up_->setGeometry(w - buttonWidth, 0, buttonWidth, h / 2);
  down_->setGeometry(w - buttonWidth, h / 2, buttonWidth, h - h / 2);
}

void SpinEdit::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange) {
    up_->setEnabled(isEnabled());
    down_->setEnabled(isEnabled());
  }
  QWidget::changeEvent(event);
}
