// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The generator's four sources as the window shows them: one row per source,
// in the order of GenSources (f1, f2, noise, sweep), naming its controls.
// Whatever treats the sources alike walks this table.

#include <array>

#include "app/Main.h"

struct GenSourceRow {
  CheckBox* TForm1::*Switch;
  SpinEdit* TForm1::*Level; // percent, 1..100
  CheckBox* TForm1::*Left;
  CheckBox* TForm1::*Right;
  // Hz of a fixed tone; null for the noise and the sweep, whose frequency
  // comes from its stepping.
  SpinEdit* TForm1::*Frequency;
};

inline constexpr std::array<GenSourceRow, 4> GenSourceRows{{
    {&TForm1::Frq1, &TForm1::FrqV1, &TForm1::LcBox0, &TForm1::RcBox0, &TForm1::FrqG1},
    {&TForm1::Frq2, &TForm1::FrqV2, &TForm1::LcBox1, &TForm1::RcBox1, &TForm1::FrqG2},
    {&TForm1::Noise, &TForm1::FrqVN, &TForm1::LcBox2, &TForm1::RcBox2, nullptr},
    {&TForm1::AutoG, &TForm1::FrqVF, &TForm1::LcBox3, &TForm1::RcBox3, nullptr},
}};

// The source is switched on and routed to at least one channel.
inline bool Sounding(const TForm1& form, const GenSourceRow& row) {
  return (form.*row.Switch)->Checked() &&
         ((form.*row.Left)->Checked() || (form.*row.Right)->Checked());
}
