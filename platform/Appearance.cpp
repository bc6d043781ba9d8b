#include "platform/Appearance.h"

#include <QLineEdit>
#include <QPalette>
#include <QVariant>
#include <QWidget>

namespace {
constexpr const char* kColor = "veltranoColor";
constexpr const char* kFontColor = "veltranoFontColor";
} // namespace

void SetColor(QWidget* control, TColor color) {
  // Called per block and per buffer; an unchanged colour costs no repaint.
  if (control->property(kColor).isValid() && ColorOf(control) == color) return;
  control->setProperty(kColor, QVariant::fromValue(color));
  QPalette palette = control->palette();
  const QColor c = ToQColor(color);
  palette.setColor(QPalette::Window, c);
  palette.setColor(QPalette::Base, c);
  palette.setColor(QPalette::Button, c);
  control->setPalette(palette);
  control->setAutoFillBackground(true);
  // An edit's colour is the colour of its text field.
  for (QLineEdit* edit : control->findChildren<QLineEdit*>()) {
    QPalette p = edit->palette();
    p.setColor(QPalette::Base, c);
    edit->setPalette(p);
  }
}

TColor ColorOf(const QWidget* control) {
  const QVariant v = control->property(kColor);
  return v.isValid() ? v.value<TColor>() : clBtnFace;
}

void SetFontColor(QWidget* control, TColor color) {
  if (control->property(kFontColor).isValid() && FontColorOf(control) == color) return;
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
