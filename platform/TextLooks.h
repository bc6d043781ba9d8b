#pragma once
// The pixels of a readout's recent texts. A readout that changes every block
// mostly comes back to a text it showed shortly before (a level flickering
// between two values, a counter settling, the sweep's next round); that text
// is then painted as a copy of the pixels the label's own paint gave it,
// without laying out and shaping it again. The pixels are taken from the
// window's backing store right after the label painted them, so a copy is
// exactly what the label would paint.

#include <array>

#include <QImage>
#include <QString>

class QLabel;
class QPaintEvent;

class TextLooks {
public:
  // Paints the label for event: from a kept look when its text has one and
  // the event repaints only its contents, else by the label's own paint,
  // whose result is then kept.
  template <class Paint> void PaintLabel(QLabel& label, QPaintEvent* event, Paint paint) {
    if (Show(label, event)) return;
    paint();
    Keep(label, event);
  }
  // The kept look of the label's present text, its contents' pixels at the
  // label's scale, or nullptr.
  const QImage* KeptLook(const QLabel& label);
  // Keeps the look of the label's present text from a picture of the whole
  // label at its scale.
  void Keep(const QLabel& label, const QImage& labelPixels);
  // Forgets every look: the font, colours, size, scale or state changed.
  void Forget();
  // How many paints were copies of a kept look.
  int Copies() const { return copies_; }

private:
  struct Look {
    QString text;
    QImage pixels;
    unsigned used = 0;
  };
  Look* Find(const QString& text);
  bool Show(QLabel& label, QPaintEvent* event);
  void Keep(QLabel& label, QPaintEvent* event);
  void Store(const QString& text, QImage pixels, int scale);

  // Enough for the 40 steps of the sweep's default range, which come round
  // in the same order: fewer would each be gone before it came back.
  static constexpr int Kept = 64;
  std::array<Look, Kept> looks_;
  unsigned clock_ = 0;
  int copies_ = 0;
};

// Paints the label's contents, its background and text, into labelPixels, a
// picture of the whole label at its scale, as the label's own paint would,
// without the label's paint event around it: for a label PaintsCaption
// accepts (plain text on a background of its own, no word wrap, picture or
// buddy).
void PaintCaption(const QLabel& label, QImage& labelPixels);
bool PaintsCaption(const QLabel& label);
