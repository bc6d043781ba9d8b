// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CheckControls.h"

#include <QButtonGroup>

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {
  connect(this, &QCheckBox::toggled, this, [this] {
    if (OnClick) OnClick(this);
  });
}

// Auto-exclusive, so that assistive technology hears a radio button; the
// buttons of a container share a group that is not exclusive, so that all of
// them may be unselected and SetChecked alone decides what a selection clears.
RadioButton::RadioButton(QWidget* parent) : QRadioButton(parent) {
  setAutoExclusive(true);
  if (parent == nullptr) return;
  auto* group = parent->findChild<QButtonGroup*>(QString(), Qt::FindDirectChildrenOnly);
  if (group == nullptr) {
    group = new QButtonGroup(parent);
    group->setExclusive(false);
  }
  group->addButton(this);
}

void RadioButton::SetChecked(bool checked) {
  if (checked == isChecked()) return;
  setChecked(checked);
  if (!checked) return;
  if (QWidget* container = parentWidget()) {
    for (RadioButton* sibling :
         container->findChildren<RadioButton*>(QString(), Qt::FindDirectChildrenOnly))
      if (sibling != this) sibling->setChecked(false);
  }
  if (OnClick) OnClick(this);
}

// A click only ever selects; clicking a selected button changes nothing.
void RadioButton::nextCheckState() {
  SetChecked(true);
}

// Every button of a group stays a Tab stop: the toolkit's own focus-in would
// take the others out of the Tab walk.
void RadioButton::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
}
