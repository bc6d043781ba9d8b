// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Appearance.h"

#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QVariant>
#include <QWidget>

#include "platform/Containers.h"
#include "platform/SpinEdit.h"

namespace {
constexpr const char* kColor = "veltranoColor";
constexpr const char* kFontColor = "veltranoFontColor";

void SetBackground(QWidget* control, const QColor& color) {
  QPalette palette = control->palette();
  palette.setColor(QPalette::Window, color);
  control->setPalette(palette);
}
} // namespace

void SetColor(QWidget* control, TColor color) {
  // Called per block and per buffer; an unchanged colour costs no repaint.
  if (control->property(kColor).isValid() && ColorOf(control) == color) return;
  control->setProperty(kColor, QVariant::fromValue(color));
  const QColor c = ToQColor(color);
  // An edit's colour is the colour of its text field; its buttons keep theirs.
  if (auto* edit = qobject_cast<SpinEdit*>(control)) {
    QPalette p = edit->Editor()->palette();
    p.setColor(QPalette::Base, c);
    edit->Editor()->setPalette(p);
    return;
  }
  // A group box paints its colour itself: in its palette the colour would
  // reach the frames, text fields and tick boxes of the controls inside.
  // The labels that fill their own background in the box's colour follow it.
  if (qobject_cast<GroupBox*>(control) != nullptr) {
    for (QLabel* label : control->findChildren<QLabel*>(Qt::FindDirectChildrenOnly))
      if (label->autoFillBackground() && !label->property(kColor).isValid())
        SetBackground(label, c);
    control->update();
    return;
  }
  // Any other control's colour is its background, and the background of
  // what it holds (the LED meters take their panel's). Only the window's
  // colour is every control's default for fields and buttons too.
  QPalette palette = control->palette();
  palette.setColor(QPalette::Window, c);
  if (control->isWindow()) {
    palette.setColor(QPalette::Base, c);
    palette.setColor(QPalette::Button, c);
  }
  control->setPalette(palette);
  control->setAutoFillBackground(true);
}

TColor ColorOf(const QWidget* control) {
  const QVariant v = control->property(kColor);
  return v.isValid() ? v.value<TColor>() : clBtnFace;
}

void SetFontColor(QWidget* control, TColor color) {
  // Called with every block: one lookup of the property by name, not two.
  if (const QVariant v = control->property(kFontColor); v.isValid() && v.value<TColor>() == color)
    return;
  control->setProperty(kFontColor, QVariant::fromValue(color));
  QPalette palette = control->palette();
  const QColor c = ToQColor(color);
  for (auto group : {QPalette::Active, QPalette::Inactive})
    for (auto role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
      palette.setColor(group, role, c);
  control->setPalette(palette);
}

TColor FontColorOf(const QWidget* control) {
  const QVariant v = control->property(kFontColor);
  return v.isValid() ? v.value<TColor>() : clWindowText;
}

void FillLikeContainer(QWidget* control) {
  SetBackground(control, ToQColor(ColorOf(control->parentWidget())));
  control->setAutoFillBackground(true);
}
