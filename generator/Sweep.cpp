// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>

#include "generator/Random.h"
#include "generator/Synthesis.h"

void StepSweep(GeneratorState& State, int32_t From, int32_t To, int32_t Inc) {
  if (Inc <= 0) {
    State.SweepFreq = Random(22049);
    return;
  }
  if (State.SweepUp) State.SweepFreq += Inc;
  // The step that overshoots the top turns at once and falls in the same call.
  if (State.SweepFreq > To) {
    State.SweepFreq = static_cast<double>(To) + 1.0;
    State.SweepUp = false;
  }
  if (!State.SweepUp) State.SweepFreq -= Inc;
  if (State.SweepFreq < From) {
    State.SweepFreq = From;
    State.SweepUp = true;
  }
}

std::string FormatSweep(double SweepFreq) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%2.0f", SweepFreq);
  return Text;
}
