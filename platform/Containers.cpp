// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Containers.h"

#include <QPainter>

#include "platform/Appearance.h"
#include "platform/Colors.h"

namespace {

void DrawBevel(QPainter& painter, QRect& r, BevelCut cut) {
  if (cut == BevelCut::None) return;
  const QColor light = ToQColor(clBtnHighlight), dark = ToQColor(clBtnShadow);
  const QColor topLeft = cut == BevelCut::Raised ? light : dark;
  const QColor bottomRight = cut == BevelCut::Raised ? dark : light;
  const int l = r.left(), t = r.top(), rr = r.left() + r.width() - 1, b = r.top() + r.height() - 1;
  painter.setPen(topLeft);
  painter.drawLine(l, t, rr - 1, t);
  painter.drawLine(l, t, l, b - 1);
  painter.setPen(bottomRight);
  painter.drawLine(rr, t, rr, b);
  painter.drawLine(l, b, rr, b);
  r.adjust(1, 1, -1, -1);
}

} // namespace

Panel::Panel(QWidget* parent, BevelCut outer, BevelCut inner)
    : QFrame(parent), outer_(outer), inner_(inner) {
  setAutoFillBackground(true);
}

void Panel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect r = rect();
  DrawBevel(painter, r, outer_);
  DrawBevel(painter, r, inner_);
}

// The colour SetColor gave the box is painted here rather than kept in its
// palette, so that the controls inside keep their own look.
void GroupBox::paintEvent(QPaintEvent* event) {
  {
    QPainter painter(this);
    painter.fillRect(rect(), ToQColor(ColorOf(this)));
  }
  QGroupBox::paintEvent(event);
}

Bevel::Bevel(QWidget* parent) : QFrame(parent) {
  setFrameStyle(QFrame::Box | QFrame::Sunken);
  setAttribute(Qt::WA_TransparentForMouseEvents);
}

StaticText::StaticText(QWidget* parent) : CaptionLabel(parent) {
  setAlignment(Qt::AlignCenter);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
}
