// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The A-weighting curve of IEC 61672-1: the gain of the standard's analogue
// filter (poles at 20.6, 107.7, 737.9 and 12194 Hz), 0 dB at 1 kHz.

namespace measure {

// Amplitude gain at hz (a ratio, 1.0 at 1 kHz).
double AWeightingGain(double hz);

// The same in dB.
double AWeightingDb(double hz);

} // namespace measure
