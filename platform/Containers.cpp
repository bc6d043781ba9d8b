#include "platform/Containers.h"

#include <cstring>

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

void CaptionLabel::SetCaption(const QString& caption) {
  if (caption == text()) return;
  setText(caption);
  ShowCaption();
}

void CaptionLabel::SetCaption(const CaptionText& caption) {
  if (!looks_) looks_ = std::make_unique<TextLooks>();
  if (::SetCaption(this, caption, captions_)) ShowCaption();
}

void CaptionLabel::ShowInOwnWindow(QWidget* window) {
  own_.reset();
  ownPixels_ = QImage();
  setUpdatesEnabled(true);
  // Without a background of its own the label's look is what lies behind it.
  if (window == nullptr || !autoFillBackground() || !isVisible()) return;
  const qreal scale = devicePixelRatioF();
  ownPixels_ = QImage((QSizeF(size()) * scale).toSize(), QImage::Format_RGB32);
  ownPixels_.setDevicePixelRatio(scale);
  PaintOwnPixels();
  own_ = X11Display::Create(window, QRect(mapTo(window, QPoint(0, 0)), size()), ownPixels_);
  if (own_ == nullptr)
    ownPixels_ = QImage();
  else
    setUpdatesEnabled(false);
}

void CaptionLabel::PaintOwnPixels() {
  // The label's own paint, whose look of the caption is kept from it.
  render(&ownPixels_);
}

void CaptionLabel::ShowCaption() {
  if (own_ == nullptr) return;
  const QRect contents = contentsRect();
  const QPoint at = contents.topLeft() * ownPixels_.devicePixelRatio();
  const QRect changed(at, contents.size() * ownPixels_.devicePixelRatio());
  const QImage* const look = looks_ ? looks_->KeptLook(*this) : nullptr;
  if (look != nullptr) {
    for (int y = 0; y < look->height(); ++y)
      std::memcpy(ownPixels_.scanLine(at.y() + y) + at.x() * sizeof(QRgb), look->constScanLine(y),
                  static_cast<size_t>(look->width()) * sizeof(QRgb));
  } else if (PaintsCaption(*this)) {
    PaintCaption(*this, ownPixels_);
    if (looks_) looks_->Keep(*this, ownPixels_);
  } else {
    PaintOwnPixels();
    own_->Put(ownPixels_.rect());
    return;
  }
  own_->Put(changed);
}

void CaptionLabel::paintEvent(QPaintEvent* event) {
  if (looks_)
    looks_->PaintLabel(*this, event, [&] { QLabel::paintEvent(event); });
  else
    QLabel::paintEvent(event);
}

void CaptionLabel::changeEvent(QEvent* event) {
  if (looks_) looks_->Forget();
  QLabel::changeEvent(event);
  // A new font, colour or state shows at once.
  if (own_ != nullptr) {
    PaintOwnPixels();
    own_->Put(ownPixels_.rect());
  }
}

void CaptionLabel::resizeEvent(QResizeEvent* event) {
  if (looks_) looks_->Forget();
  if (own_ != nullptr) ShowInOwnWindow(nullptr);
  QLabel::resizeEvent(event);
}

void CaptionLabel::moveEvent(QMoveEvent* event) {
  if (own_ != nullptr) ShowInOwnWindow(nullptr);
  QLabel::moveEvent(event);
}

void CaptionLabel::hideEvent(QHideEvent* event) {
  if (own_ != nullptr) ShowInOwnWindow(nullptr);
  QLabel::hideEvent(event);
}

StaticText::StaticText(QWidget* parent) : CaptionLabel(parent) {
  setAlignment(Qt::AlignCenter);
  setFrameStyle(QFrame::Panel | QFrame::Sunken);
  setLineWidth(1);
}
