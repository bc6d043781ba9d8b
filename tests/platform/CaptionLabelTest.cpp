// Readouts that paint a caption they showed before from the pixels it had:
// on the screen they must look exactly as a plain label with that caption.

#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QTest>

#include "platform/Appearance.h"
#include "platform/Containers.h"

namespace {

// The control's pixels on the screen. The offscreen screen's grab holds as
// many device pixels as the window has logical ones, from its top left: the
// controls lie in the window's top left quarter.
QImage Shown(QWidget& window, const QWidget& control) {
  QApplication::processEvents();
  const QImage screen = window.screen()->grabWindow(window.winId()).toImage();
  const qreal scale = screen.devicePixelRatio();
  const QRect r = control.geometry();
  return screen.copy(QRectF(r.topLeft() * scale, r.size() * scale).toRect())
      .convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(CaptionLabel, ACaptionShownAgainLooksAsAPlainLabelShowsIt) {
  QWidget window;
  window.resize(400, 200);
  auto* centred = new StaticText(&window);
  auto* plainCentred = new QLabel(&window);
  plainCentred->setAlignment(Qt::AlignCenter);
  plainCentred->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  plainCentred->setLineWidth(1);
  auto* left = new Label(&window);
  auto* plainLeft = new QLabel(&window);
  const std::vector<std::pair<QLabel*, QLabel*>> pairs{{centred, plainCentred}, {left, plainLeft}};
  // Readouts fill their own background; only such labels keep looks.
  for (int i = 0; i < 2; ++i) {
    pairs[i].first->setGeometry(4, 4 + 28 * i, 81, 18);
    pairs[i].second->setGeometry(100, 4 + 28 * i, 81, 18);
    pairs[i].first->setAutoFillBackground(true);
    pairs[i].second->setAutoFillBackground(true);
    // Not the application's font: the label's own must be the one drawn.
    QFont font = pairs[i].first->font();
    font.setBold(true);
    pairs[i].first->setFont(font);
    pairs[i].second->setFont(font);
  }
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // At a fractional scale both paint as QLabel, and Qt's own rounding of a
  // repainted part differs with the label's place.
  const bool whole = window.devicePixelRatioF() == qRound(window.devicePixelRatioF());

  // Steps: a caption, or a new font colour (then the same caption again).
  const char* steps[] = {"R : -12.04 dB", "R : -3.50 dB", "R : -12.04 dB", "red",
                         "R : -12.04 dB", "R : -3.50 dB", "R : -3.50 dB",  "R : -12.04 dB"};
  for (const char* step : steps) {
    for (auto [readout, plain] : pairs) {
      if (std::string(step) == "red") {
        SetFontColor(readout, clRed);
        SetFontColor(plain, clRed);
        continue;
      }
      static_cast<CaptionLabel*>(readout)->SetCaption(CaptionText().Append(step));
      plain->setText(QString::fromLatin1(step));
    }
    for (auto [readout, plain] : pairs) {
      if (!whole) continue;
      EXPECT_EQ(Shown(window, *readout), Shown(window, *plain))
          << step << " in " << readout->metaObject()->className();
      // What a readout's own window shows: its contents painted without its
      // paint event, over contents blacked out, look as its paint.
      QImage painted(plain->size() * window.devicePixelRatio(), QImage::Format_RGB32);
      painted.setDevicePixelRatio(window.devicePixelRatio());
      plain->render(&painted);
      const QImage rendered = painted.copy();
      QPainter(&painted).fillRect(plain->contentsRect(), Qt::black);
      ASSERT_TRUE(PaintsCaption(*plain));
      PaintCaption(*plain, painted);
      EXPECT_EQ(painted, rendered) << step << " in " << readout->metaObject()->className();
    }
  }
  // Whole-number scales copy a caption shown before under the same colours
  // (the third and last step); a fractional one paints every caption.
  for (const auto& pair : pairs)
    EXPECT_EQ(static_cast<CaptionLabel*>(pair.first)->CopiedPaints(), whole ? 2 : 0);
}
