// SPDX-License-Identifier: GPL-3.0-or-later
// The generator's handlers: they start and stop the output, invalidate the
// tables and keep the edits within their bounds.

#include "app/Main.h"
#include "generator/SourceTable.h"

void TForm1::Frq1Click(QObject*) {
  const bool active = AnySourceActive();
  if (active && Playback.OutIdle) {
    OpenOutput();
  } else if (!active) {
    Playback.OutStop = true;
    // A source switched on again before the stop completes does not cancel
    // it; the close then opens the output again.
    Playback.OutResume = true;
  }
  Gen.TablesValid = false;
}

void TForm1::AutoGClick(QObject*) {
  Frq1Click(this);
  Gen.SweepUp = true;
  Gen.SweepFreq = FrqFrom->Value();
  LblNow->SetCaption(CaptionText().Append(FormatSweep(Gen.SweepFreq).c_str()));
}

void TForm1::FrqG1Change(QObject*) {
  for (SpinEdit* edit : {FrqG1, FrqG2, FrqTo})
    if (edit->Value() > edit->MaxValue) edit->SetValue(edit->MaxValue);
}

void TForm1::FrqFromChange(QObject*) {
  if (FrqFrom->Value() > FrqFrom->MaxValue) FrqFrom->SetValue(FrqFrom->MaxValue);
  if (AutoG->Checked())
    LblNow->SetCaption(CaptionText().Append(FormatSweep(Gen.SweepFreq).c_str()));
  else
    LblNow->SetCaption(QString::number(FrqFrom->Value()));
}

void TForm1::FrqV1Change(QObject*) {
  for (const GenSourceRow& row : GenSourceRows)
    if (SpinEdit* edit = this->*row.Level; edit->Value() > 100) edit->SetValue(100);
  for (const GenSourceRow& row : GenSourceRows)
    if (SpinEdit* edit = this->*row.Level; edit->Value() <= 0) edit->SetValue(1);
  LabelInc->SetCaption(FInc->Value() <= 0 ? QStringLiteral("RandomFrq")
                                          : QStringLiteral("Increment:"));
  Gen.TablesValid = false;
}
