// SPDX-License-Identifier: GPL-3.0-or-later
// The window's side of the synthesis: it reads the generator's controls and
// shows the results.

#include <algorithm>

#include "app/Main.h"
#include "generator/SourceTable.h"
#include "platform/Appearance.h"

GenSources TForm1::Sources() const {
  GenSources sources{};
  for (size_t j = 0; j < sources.size(); ++j) {
    const GenSourceRow& row = GenSourceRows[j];
    sources[j] = {(this->*row.Switch)->Checked(), (this->*row.Level)->Value(),
                  (this->*row.Left)->Checked(), (this->*row.Right)->Checked()};
  }
  return sources;
}

bool TForm1::AnySourceActive() const {
  return std::any_of(GenSourceRows.begin(), GenSourceRows.end(),
                     [this](const GenSourceRow& row) { return Sounding(*this, row); });
}

void TForm1::BuildTables() {
  const std::optional<GenOverflow> built = ::BuildTables(Gen, Sources());
  // The box turns red while the levels routed to one channel would be clipped.
  if (built) SetColor(GeneratorGroup, *built == GenOverflow::Overflow ? clRed : clInfoBk);
}

void TForm1::Synthesize(int16_t* Block) {
  ::Synthesize(Gen, Sources(), Block);
  BuildTables();
}

// While blocks flow, the sweep's new frequency shows with the next block,
// within 43 ms: its repaint then reaches the X server with the block's, which
// wakes the server once per block instead of once more per buffer.
void TForm1::StepSweep() {
  ::StepSweep(Gen, FrqFrom->Value(), FrqTo->Value(), FInc->Value());
  SweepWithNextBlock = Capture.Recording;
  if (!SweepWithNextBlock) ShowSweep();
}

void TForm1::ShowSweep() {
  SweepWithNextBlock = false;
  if (AutoG->Checked())
    LblNow->SetCaption(CaptionText().Append(FormatSweep(Gen.SweepFreq).c_str()));
}
