#include "platform/CheckControls.h"

CheckBox::CheckBox(QWidget* parent) : QCheckBox(parent) {
  connect(this, &QCheckBox::toggled, this, [this] {
    if (OnClick) OnClick(this);
  });
}

RadioButton::RadioButton(QWidget* parent) : QRadioButton(parent) {
  setAutoExclusive(false);
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
