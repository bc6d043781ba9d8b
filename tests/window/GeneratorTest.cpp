// The generator's controls: the edits' bounds as the user types, the
// increment label, the sweep's restart and its sequence on the output, and the
// overflow warning of the group box.

#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

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

  // One step per written buffer, two written at the open.
  const std::vector<int> sequence = {1010, 1020, 1030, 1040, 1031, 1021,
                                     1011, 1001, 1000, 1010, 1020};
  EXPECT_EQ(f.Gen.GenFreq[3], sequence[1]);
  for (size_t written = 2; written < sequence.size(); ++written) {
    w.Play();
    EXPECT_EQ(f.Gen.GenFreq[3], sequence[written]) << "buffer " << written;
    EXPECT_EQ(f.LblNow->Caption(), QString::number(sequence[written]));
  }
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
