// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An integer edit with small up/down buttons.
//
// Value is the integer in the text, or MinValue when the text is not an
// integer. SetValue clamps to MinValue..MaxValue (no clamping when the two are
// equal) and rewrites the text; every change of the text runs OnChange. While
// the user types the value may lie outside the range; it is clamped when the
// edit loses the focus. The text field takes the focus; in it the arrow keys
// step as the small buttons do and the page keys step by ten.

#include <QWidget>

#include "platform/ControlEvents.h"

class QLineEdit;
class QToolButton;

class SpinEdit : public QWidget {
  Q_OBJECT
public:
  explicit SpinEdit(QWidget* parent);

  NotifyEvent OnChange;
  int MinValue = 0;
  int MaxValue = 100;

  int Value() const;
  void SetValue(int value);
  QString Text() const;
  void SetText(const QString& text);
  void SetMaxLength(int characters);
  QLineEdit* Editor() const { return edit_; }

protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

private:
  int CheckValue(int value) const;

  QLineEdit* edit_;
  QToolButton* up_;
  QToolButton* down_;
};
