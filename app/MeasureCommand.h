// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// veltrano --measure SECONDS: captures that much input, optionally playing a
// test tone from the generator meanwhile, and prints what the measurement
// library reads from it. Needs no display, opens no window and never touches
// the settings file.

#include <optional>
#include <string>
#include <vector>

#include "app/CommandLine.h"

struct MeasureOptions {
  double Seconds = 0;
  double ToneHz = 0; // 0: no tone
  double LevelDb = -6;
  bool Left = true, Right = true; // where the tone goes
  bool Json = false;
  std::string Input, Output; // the server's device names; empty: its defaults
};

// The measurement's options from the command line's values; nullopt with
// *error set for a bad one. Only called when line.Measure is given; the
// command line has already refused options given without theirs.
std::optional<MeasureOptions> ReadMeasureOptions(const CommandLine& line, std::string* error);

// What --help says about it besides its options: the exit statuses, and the
// fields with their units.
std::string MeasureHelpText();

// Measures and prints the figures. Returns 0 when it measured, 1 when no input
// came (no server, no blocks, the server lost). A stop signal ends it early
// with status 1 and its number in *stopSignal.
int RunMeasure(int argc, char** argv, const MeasureOptions& options, int* stopSignal);
