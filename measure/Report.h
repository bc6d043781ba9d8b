// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The figures as text: one aligned table for people, one JSON object for
// scripts. One table of fields (name, label, unit, decimals) serves both, and
// any other view of the figures can walk it too. A figure that does not exist
// is JSON null, and in the table a word that the notes below it explain.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "measure/Measure.h"

namespace measure {

template <typename Figures> struct Field {
  const char* Key;   // the JSON name, with its unit in it
  const char* Label; // the table's row label
  const char* Unit;
  int Decimals;
  double Figures::*Value; // None when the figure does not exist
  // The table's word for a missing figure of valid figures ("no noise").
  const char* Missing = "-";
  // For a figure that exists only as a bound: the bound, in the figure's unit.
  double (*Bound)(const Figures&) = nullptr;
};

std::span<const Field<ChannelFigures>> ChannelFields();
std::span<const Field<PairFigures>> PairFields();

// What was measured, for the heading and the JSON's top level.
struct ReportContext {
  double Seconds = 0;      // of input measured
  double ToneHz = 0;       // the tone played; 0 for none
  double ToneDbfs = 0;     // its peak level
  const char* ToneTo = ""; // "L", "R" or "LR"
  // Input frames lost in the captures that were thrown away and tried again.
  uint64_t LostFrames = 0;
  // What the desktop does to the signal on its way ("input at 50 %"); empty
  // when the path is transparent.
  std::vector<std::string> Path{};
};

// The convention every RMS figure follows, as the output states it.
inline constexpr const char* RmsConvention =
    "RMS against full scale: a full-scale sine reads -3.01 dBFS";

std::string ReportTable(const Figures& figures, const ReportContext& context);
std::string ReportJson(const Figures& figures, const ReportContext& context);

} // namespace measure
