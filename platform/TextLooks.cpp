#include "platform/TextLooks.h"

#include <algorithm>
#include <utility>

#include <QLabel>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QTextDocument>

namespace {

// The label's scale when its looks can be kept: 0 at a fractional scale,
// where its edges fall inside device pixels that its neighbours share, and
// for a label without a background of its own, whose look shows what lies
// behind it.
int CopyableScale(const QLabel& label) {
  const qreal ratio = label.devicePixelRatioF();
  const int scale = qRound(ratio);
  return scale >= 1 && ratio == scale && label.autoFillBackground() ? scale : 0;
}

} // namespace

TextLooks::Look* TextLooks::Find(const QString& text) {
  const auto look = std::find_if(looks_.begin(), looks_.end(), [&](const Look& l) {
    return !l.pixels.isNull() && l.text == text;
  });
  return look == looks_.end() ? nullptr : &*look;
}

const QImage* TextLooks::KeptLook(const QLabel& label) {
  const int scale = CopyableScale(label);
  Look* const look = scale == 0 ? nullptr : Find(label.text());
  if (look == nullptr || look->pixels.size() != label.contentsRect().size() * scale ||
      look->pixels.devicePixelRatio() != scale)
    return nullptr;
  look->used = ++clock_;
  ++copies_;
  return &look->pixels;
}

bool TextLooks::Show(QLabel& label, QPaintEvent* event) {
  const QRect contents = label.contentsRect();
  if (!contents.contains(event->rect())) return false;
  const QImage* const pixels = KeptLook(label);
  if (pixels == nullptr) return false;
  QPainter painter(&label);
  painter.drawImage(contents.topLeft(), *pixels);
  return true;
}

// Reads back what the label's paint has just put in the backing store, when
// the paint covered all of its contents and the store is an image in memory.
void TextLooks::Keep(QLabel& label, QPaintEvent* event) {
  const QRect contents = label.contentsRect();
  const int scale = CopyableScale(label);
  if (scale == 0 || contents.isEmpty() || !event->region().contains(contents)) return;
  QPainter painter(&label);
  const QPaintEngine* engine = painter.paintEngine();
  if (engine == nullptr || engine->type() != QPaintEngine::Raster) return;
  QPaintDevice* device = engine->paintDevice();
  if (device == nullptr || device->devType() != QInternal::Image) return;
  const QTransform& toDevice = painter.deviceTransform();
  if (toDevice.type() > QTransform::TxScale || toDevice.m11() != scale || toDevice.m22() != scale)
    return;
  const QRect stored = toDevice.mapRect(contents);
  const auto* store = static_cast<const QImage*>(device);
  if (!store->rect().contains(stored)) return;
  Store(label.text(), store->copy(stored), scale);
}

void TextLooks::Keep(const QLabel& label, const QImage& labelPixels) {
  const int scale = CopyableScale(label);
  const QRect contents = label.contentsRect();
  if (scale == 0 || contents.isEmpty() || labelPixels.size() != label.size() * scale) return;
  Store(label.text(), labelPixels.copy(QRect(contents.topLeft() * scale, contents.size() * scale)),
        scale);
}

void TextLooks::Store(const QString& text, QImage pixels, int scale) {
  Look* look = Find(text);
  if (look == nullptr)
    look = &*std::min_element(looks_.begin(), looks_.end(),
                              [](const Look& a, const Look& b) { return a.used < b.used; });
  look->text = text;
  look->pixels = std::move(pixels);
  look->pixels.setDevicePixelRatio(scale);
  look->used = ++clock_;
}

void PaintCaption(const QLabel& label, QImage& labelPixels) {
  const QRect contents = label.contentsRect();
  QPainter painter(&labelPixels);
  painter.fillRect(contents, label.palette().brush(label.backgroundRole()));
  // The text's place as QLabel finds it: without an indent of its own, a
  // framed label keeps half an x's width from the edges it is aligned to.
  const QString text = label.text();
  const int align = QStyle::visualAlignment(
      text.isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight, label.alignment());
  QRect place = contents.adjusted(label.margin(), label.margin(), -label.margin(), -label.margin());
  int indent = label.indent();
  if (indent < 0 && label.frameWidth() != 0)
    indent = label.fontMetrics().horizontalAdvance(u'x') / 2 - label.margin();
  if (indent > 0) {
    if (align & Qt::AlignLeft)
      place.setLeft(place.left() + indent);
    else if (align & Qt::AlignRight)
      place.setRight(place.right() - indent);
    else if (align & Qt::AlignTop)
      place.setTop(place.top() + indent);
    else if (align & Qt::AlignBottom)
      place.setBottom(place.bottom() - indent);
  }
  painter.setFont(label.font());
  painter.setLayoutDirection(label.layoutDirection());
  const int direction = text.isRightToLeft() ? Qt::TextForceRightToLeft : Qt::TextForceLeftToRight;
  label.style()->drawItemText(&painter, place, align | direction, label.palette(),
                              label.isEnabled(), text, label.foregroundRole());
}

bool PaintsCaption(const QLabel& label) {
  const bool plain = label.textFormat() == Qt::PlainText ||
                     (label.textFormat() == Qt::AutoText && !Qt::mightBeRichText(label.text()));
  return plain && !label.wordWrap() && label.buddy() == nullptr && label.pixmap().isNull() &&
         label.autoFillBackground();
}

void TextLooks::Forget() {
  looks_ = {};
}
