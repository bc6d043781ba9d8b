// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's controls: the edits' bounds as the user types, the
// increment label, the sweep's restart and its sequence on the output, and the
// overflow warning of the group box, and the colours the box and its edits show.

#include <algorithm>

#include <QCoreApplication>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include "platform/Appearance.h"
#include "tests/support/DeviceWindow.h"
#include "tests/support/ZeroCrossings.h"

namespace {

// Replaces the edit's text by typing the digits one by one, as a user does.
void Type(SpinEdit* edit, const QString& digits) {
  QLineEdit* editor = edit->Editor();
  editor->selectAll();
  for (const QChar c : digits) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_0 + (c.unicode() - u'0'), Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(editor, &press);
  }
}

void LoseFocus(SpinEdit* edit) {
  QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
  QCoreApplication::sendEvent(edit->Editor(), &out);
}

// The drawn colour of a point of a control, in the window's picture.
QRgb PixelOf(const QImage& window, const TForm1& form, const QWidget* control, QPoint at) {
  return window.pixel(control->mapTo(&form, at));
}

} // namespace

TEST(Generator, FrequencyEditsClampAtTheTopAtOnceAndAtTheBottomOnFocusLoss) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (SpinEdit* edit : {f.FrqG1, f.FrqG2, f.FrqTo}) {
    Type(edit, QStringLiteral("30000"));
    EXPECT_EQ(edit->Text(), QStringLiteral("24000")) << qPrintable(edit->objectName());
    Type(edit, QStringLiteral("0"));
    EXPECT_EQ(edit->Text(), QStringLiteral("0")) << qPrintable(edit->objectName());
    LoseFocus(edit);
    EXPECT_EQ(edit->Text(), QStringLiteral("1")) << qPrintable(edit->objectName());
  }

  // The sweep's start may be 0; with the sweep off the read-out shows it.
  Type(f.FrqFrom, QStringLiteral("30000"));
  EXPECT_EQ(f.FrqFrom->Text(), QStringLiteral("24000"));
  EXPECT_EQ(f.LblNow->Caption(), QStringLiteral("24000"));
  Type(f.FrqFrom, QStringLiteral("0"));
  LoseFocus(f.FrqFrom);
  EXPECT_EQ(f.FrqFrom->Text(), QStringLiteral("0"));
  EXPECT_EQ(f.LblNow->Caption(), QStringLiteral("0"));
}

TEST(Generator, LevelAndIncrementEditsAreKeptInRangeAsTheyAreTyped) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (SpinEdit* level : {f.FrqV1, f.FrqV2, f.FrqVN, f.FrqVF}) {
    Type(level, QStringLiteral("0"));
    EXPECT_EQ(level->Text(), QStringLiteral("1")) << qPrintable(level->objectName());
    f.Gen.TablesValid = true;
    Type(level, QStringLiteral("150"));
    EXPECT_EQ(level->Text(), QStringLiteral("100")) << qPrintable(level->objectName());
    EXPECT_FALSE(f.Gen.TablesValid) << "a level change must rebuild the tables";
  }

  Type(f.FInc, QStringLiteral("0"));
  EXPECT_EQ(f.FInc->Text(), QStringLiteral("0"));
  EXPECT_EQ(f.LabelInc->Caption(), QStringLiteral("RandomFrq"));
  EXPECT_LE(f.LabelInc->sizeHint().width(), f.LabelInc->width()) << "the caption is clipped";
  Type(f.FInc, QStringLiteral("25"));
  EXPECT_EQ(f.LabelInc->Caption(), QStringLiteral("Increment:"));
}

TEST(Generator, SweepPlaysItsTriangleOneFrequencyPerBuffer) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.FormActivate(&f);
  f.FrqFrom->SetValue(1000);
  f.FrqTo->SetValue(1040);
  f.FInc->SetValue(10);
  f.FrqVF->SetValue(50);
  f.LcBox3->SetChecked(true);
  f.AutoG->SetChecked(true);
  EXPECT_EQ(f.Gen.SweepFreq, 1000);
  EXPECT_TRUE(f.Gen.SweepUp);
  EXPECT_EQ(f.LblNow->Caption(), QStringLiteral("1000"));
  ProcessEvents();

  // One step per written buffer, two written at the open; the readout shows
  // each step with the next captured block.
  const std::vector<int> sequence = {1010, 1020, 1030, 1040, 1031, 1021,
                                     1011, 1001, 1000, 1010, 1020};
  EXPECT_EQ(f.Gen.GenFreq[3], sequence[1]);
  const std::vector<int16_t> block(2 * SampleBlock::Frames);
  w.Feed(block);
  for (size_t written = 2; written < sequence.size(); ++written) {
    EXPECT_EQ(f.LblNow->Caption(), QString::number(sequence[written - 1]));
    w.Play();
    EXPECT_EQ(f.Gen.GenFreq[3], sequence[written]) << "buffer " << written;
    EXPECT_EQ(f.LblNow->Caption(), QString::number(sequence[written - 1]));
    w.Feed(block);
  }
  EXPECT_EQ(f.LblNow->Caption(), QString::number(sequence.back()));
  // Each buffer carries its frequency: 250 ms of f Hz crosses zero f / 2 times.
  ASSERT_EQ(w.audio->Played.size(), sequence.size() - 2);
  for (size_t played = 0; played < w.audio->Played.size(); ++played)
    EXPECT_NEAR(ZeroCrossings(w.audio->Played[played], 0, 2), sequence[played] / 2, 1)
        << "buffer " << played;

  // Switching the sweep off and on restarts it at its start, rising.
  f.AutoG->SetChecked(false);
  EXPECT_EQ(f.Gen.SweepFreq, 1000);
  EXPECT_EQ(f.LblNow->Caption(), QStringLiteral("1000"));
  f.FrqFrom->SetValue(1005);
  EXPECT_EQ(f.LblNow->Caption(), QStringLiteral("1005"));
  f.AutoG->SetChecked(true);
  EXPECT_EQ(f.Gen.SweepFreq, 1005);
  EXPECT_TRUE(f.Gen.SweepUp);
}

TEST(Generator, GroupBoxTurnsRedWhileTheLevelsOfOneChannelCanWrapAround) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.FormActivate(&f);
  f.FrqG1->SetValue(1000);
  f.FrqG2->SetValue(1500);
  f.FrqV1->SetValue(50);
  f.FrqV2->SetValue(50);
  f.Frq1->SetChecked(true);
  f.LcBox0->SetChecked(true);
  f.Frq2->SetChecked(true);
  f.LcBox1->SetChecked(true);
  ProcessEvents();
  // 16383 + 16383 = 32766 still fits.
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);

  // 16711 + 16383 does not; the warning comes with the refill that rebuilds
  // the tables.
  f.FrqV1->SetValue(51);
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
  w.Play();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clRed);

  // f2 moved to the right channel: each channel fits again.
  f.LcBox1->SetChecked(false);
  f.RcBox1->SetChecked(true);
  w.Play();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);

  // Routed nowhere, a loud source does not count.
  f.FrqV2->SetValue(100);
  f.RcBox1->SetChecked(false);
  w.Play();
  EXPECT_EQ(ColorOf(f.GeneratorGroup), clInfoBk);
  EXPECT_TRUE(Messages().empty());
}

TEST(Generator, TheBoxColourStaysOnTheBoxAndSoundingLevelsArePaleBlue) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.show();
  f.FormActivate(&f);
  const std::vector<SpinEdit*> edits{f.FrqG1, f.FrqV1, f.FrqG2,   f.FrqV2, f.FrqVN,
                                     f.FrqVF, f.FInc,  f.FrqFrom, f.FrqTo};
  const std::vector<CheckBox*> boxes{f.Frq1,   f.Frq2,   f.Noise,  f.AutoG,  f.LcBox0, f.RcBox0,
                                     f.LcBox1, f.RcBox1, f.LcBox2, f.RcBox2, f.LcBox3, f.RcBox3};
  // Inside an edit's text field and on its frame; inside a check box's tick
  // box and on its edge.
  const auto field = [](const QWidget* e) { return QPoint(2, e->height() / 2); };
  const auto frame = [](const QWidget* e) { return QPoint(0, e->height() / 2); };
  const auto tickBox = [](const QWidget* b) { return QPoint(1, b->height() / 2); };
  const auto tickEdge = [](const QWidget* b) { return QPoint(0, b->height() / 2); };
  const QImage before = f.grab().toImage();
  const QRgb indicator = PixelOf(before, f, f.Frq1, tickBox(f.Frq1));
  const QRgb indicatorEdge = PixelOf(before, f, f.Frq1, tickEdge(f.Frq1));
  const QRgb editFrame = PixelOf(before, f, f.FrqG1, frame(f.FrqG1));

  // box: the group box's own colour; sounding: the level edits that are pale blue.
  const auto expect = [&](const char* when, QRgb box, const std::vector<SpinEdit*>& sounding) {
    SCOPED_TRACE(when);
    const QImage image = f.grab().toImage();
    EXPECT_EQ(PixelOf(image, f, f.GeneratorGroup, QPoint(150, 5)), box);
    for (SpinEdit* e : edits) {
      const bool pale = std::find(sounding.begin(), sounding.end(), e) != sounding.end();
      EXPECT_EQ(PixelOf(image, f, e, field(e)), pale ? qRgb(213, 234, 255) : qRgb(255, 255, 255))
          << qPrintable(e->objectName());
      EXPECT_EQ(PixelOf(image, f, e, frame(e)), editFrame) << qPrintable(e->objectName());
    }
    for (CheckBox* b : boxes) {
      EXPECT_EQ(PixelOf(image, f, b, tickBox(b)), indicator) << qPrintable(b->objectName());
      EXPECT_EQ(PixelOf(image, f, b, tickEdge(b)), indicatorEdge) << qPrintable(b->objectName());
    }
  };

  const QRgb buttonFace = PixelOf(before, f, f.GeneratorGroup, QPoint(150, 5));
  f.FrqV1->SetValue(60);
  f.FrqV2->SetValue(50);
  f.Frq1->SetChecked(true);
  f.LcBox0->SetChecked(true);
  ProcessEvents();
  expect("open", qRgb(255, 255, 220), {});
  w.Play();
  expect("playing", qRgb(255, 255, 220), {f.FrqV1});
  f.Frq2->SetChecked(true);
  f.LcBox1->SetChecked(true);
  w.Play();
  expect("overflow", qRgb(255, 0, 0), {f.FrqV1, f.FrqV2});
  f.Frq1->SetChecked(false);
  f.Frq2->SetChecked(false);
  w.Play();
  ProcessEvents();
  expect("stopped", buttonFace, {});
}

TEST(Generator, SpinEditButtonsKeepTheirMouseToThemselvesAndTheFieldPassesItOn) {
  DeviceWindow w;
  TForm1& f = *w.form;
  for (SpinEdit* edit : {f.FrqG1, f.FrqV1, f.FInc, f.FrqTo}) {
    SCOPED_TRACE(edit->objectName().toStdString());
    int moves = 0, releases = 0;
    MouseEvents& events = MouseEvents::Of(edit);
    events.OnMouseMove = [&](QObject*, Qt::KeyboardModifiers, int, int) { ++moves; };
    events.OnMouseUp = [&](QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
      ++releases;
    };
    // A hover, then a click with a small drag.
    const auto moveAndRelease = [](QWidget* part) {
      const auto send = [part](QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons held) {
        const QPointF at(2, 2);
        QMouseEvent event(type, at, part->mapToGlobal(at), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(part, &event);
      };
      send(QEvent::MouseMove, Qt::NoButton, Qt::NoButton);
      send(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton);
      send(QEvent::MouseMove, Qt::NoButton, Qt::LeftButton);
      send(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton);
    };
    const QList<QToolButton*> buttons = edit->findChildren<QToolButton*>();
    ASSERT_EQ(buttons.size(), 2);
    for (QToolButton* button : buttons)
      moveAndRelease(button);
    EXPECT_EQ(moves, 0);
    EXPECT_EQ(releases, 0);
    moveAndRelease(edit->Editor());
    EXPECT_EQ(moves, 2);
    EXPECT_EQ(releases, 1);
  }
}

TEST(Generator, ASourceSwitchedOnWhileTheOutputStopsIsHeardOnceTheStopCompletes) {
  DeviceWindow w;
  TForm1& f = *w.form;
  f.show();
  f.FormActivate(&f);
  f.FrqG1->SetValue(1000);
  f.LcBox0->SetChecked(true);
  // On, off and on again before the output has even opened.
  f.Frq1->SetChecked(true);
  f.Frq1->SetChecked(false);
  f.Frq1->SetChecked(true);
  // The open is reported, then the close, then the second open; each open
  // first waits 100 ms.
  ProcessEvents(500);
  // The stop completed, and then the output opened again.
  EXPECT_EQ(w.audio->OutCloses, 1);
  EXPECT_EQ(w.audio->OutOpens, 2);
  const QImage shot = f.grab().toImage();
  EXPECT_EQ(PixelOf(shot, f, f.GeneratorGroup, QPoint(150, 5)), qRgb(255, 255, 220));
  // The sweep's readout fills its own background, in the box's colour.
  EXPECT_TRUE(f.LblNow->autoFillBackground());
  EXPECT_EQ(PixelOf(shot, f, f.LblNow, QPoint(1, 1)), qRgb(255, 255, 220));
  w.Play();
  ASSERT_EQ(w.audio->Played.size(), 1u);
  EXPECT_NEAR(ZeroCrossings(w.audio->Played[0], 0, 2), 500, 1) << "f1 is not heard";
}
