// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Check boxes and radio buttons with the click semantics the window relies on.

#include <QCheckBox>
#include <QRadioButton>

#include "platform/ControlEvents.h"

// OnClick runs whenever the ticked state changes, by the user or the program.
class CheckBox : public QCheckBox {
  Q_OBJECT
public:
  explicit CheckBox(QWidget* parent);
  NotifyEvent OnClick;
  bool Checked() const { return isChecked(); }
  void SetChecked(bool checked) { setChecked(checked); }
};

// A radio button that becomes selected clears the other radio buttons of its
// container and runs OnClick; one set to unselected runs nothing. All radio
// buttons of a container may be unselected. Every button is a Tab stop; the
// arrow keys move the focus within the container.
class RadioButton : public QRadioButton {
  Q_OBJECT
public:
  explicit RadioButton(QWidget* parent);
  NotifyEvent OnClick;
  bool Checked() const { return isChecked(); }
  void SetChecked(bool checked);

protected:
  void nextCheckState() override;
  void focusInEvent(QFocusEvent* event) override;
};
