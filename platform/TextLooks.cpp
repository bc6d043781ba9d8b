#include "platform/TextLooks.h"

#include <algorithm>

#include <QLabel>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>

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

bool TextLooks::Show(QLabel& label, QPaintEvent* event) {
  const QRect contents = label.contentsRect();
  const int scale = CopyableScale(label);
  if (scale == 0 || !contents.contains(event->rect())) return false;
  Look* const look = Find(label.text());
  if (look == nullptr || look->pixels.size() != contents.size() * scale ||
      look->pixels.devicePixelRatio() != scale)
    return false;
  QPainter painter(&label);
  painter.drawImage(contents.topLeft(), look->pixels);
  look->used = ++clock_;
  ++copies_;
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

  const QString text = label.text();
  Look* look = Find(text);
  if (look == nullptr)
    look = &*std::min_element(looks_.begin(), looks_.end(),
                              [](const Look& a, const Look& b) { return a.used < b.used; });
  look->text = text;
  look->pixels = store->copy(stored);
  look->pixels.setDevicePixelRatio(scale);
  look->used = ++clock_;
}

void TextLooks::Forget() {
  looks_ = {};
}
