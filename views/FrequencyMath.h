// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The frequency counter's arithmetic: a spectral peak refined by its two
// neighbouring bins, and the readout's caption.

#include <optional>
#include <span>

#include "platform/Format.h"

// Hz per bin of the 2048-point transform at 48 000 frames per second.
inline constexpr double BinWidthHz = 23.4375;

// The frequency of bin k moved from the bin centre toward the larger of its
// neighbours by up to half a bin. None for bin 0, for a bin without two
// neighbours in values, and when a neighbour (or their ratio) is 0.
std::optional<double> InterpolatedFrequency(std::span<const double> values, int bin);

// "RFrq : 1008 Hz" for channel 'R', "LFrq : ..." for 'L': whole hertz, at
// least two characters.
CaptionText FrequencyCaption(char channel, double hz);

// The bin drawn in a display column: one column per bin, except in the
// amplitude trace with "Low Frq", which draws bin k in column 5k: there the
// nearest such bin.
int BinAtColumn(int column, bool lowFrqTrace);
