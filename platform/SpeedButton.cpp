#include "platform/SpeedButton.h"

SpeedButton::SpeedButton(QWidget* parent, int groupIndex) : QToolButton(parent) {
  setCheckable(groupIndex != 0);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QToolButton::clicked, this, [this] { Click(); });
}

void SpeedButton::Click() {
  if (OnClick) OnClick(this);
}
