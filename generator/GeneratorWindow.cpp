// The window's side of the synthesis: it reads the generator's controls and
// shows the results.

#include "app/Main.h"
#include "platform/Appearance.h"

GenSources TForm1::Sources() const {
  return GenSources{{
      {Frq1->Checked(), FrqV1->Value(), LcBox0->Checked(), RcBox0->Checked()},
      {Frq2->Checked(), FrqV2->Value(), LcBox1->Checked(), RcBox1->Checked()},
      {Noise->Checked(), FrqVN->Value(), LcBox2->Checked(), RcBox2->Checked()},
      {AutoG->Checked(), FrqVF->Value(), LcBox3->Checked(), RcBox3->Checked()},
  }};
}

bool TForm1::AnySourceActive() const {
  for (const GenSource& source : Sources())
    if (source.On && (source.Left || source.Right)) return true;
  return false;
}

void TForm1::BuildTables() {
  const std::optional<GenOverflow> built = ::BuildTables(Gen, Sources());
  // The box turns red while the levels routed to one channel can wrap around.
  if (built) SetColor(GeneratorGroup, *built == GenOverflow::Overflow ? clRed : clInfoBk);
}

void TForm1::Synthesize(int16_t* Block) {
  ::Synthesize(Gen, Sources(), Block);
  BuildTables();
}

void TForm1::StepSweep() {
  ::StepSweep(Gen, FrqFrom->Value(), FrqTo->Value(), FInc->Value());
  LblNow->SetCaption(QString::fromStdString(FormatSweep(Gen.SweepFreq)));
}
