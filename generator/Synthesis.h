// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The generator's synthesis core: four amplitude-scaled sine tables, 30-bit
// phase accumulators, the mix of two tones, white noise and a sweep into one
// interleaved stereo output buffer, and the sweep's stepping. Plain C++; the
// window reads its controls into GenSources and calls these on the GUI thread.

#include <array>
#include <cstdint>
#include <optional>
#include <string>

inline constexpr int GenTableSize = 32768; // values per sine table (one full turn)
// Interleaved samples per output buffer: 12000 frames, 250 ms at 48 kHz.
inline constexpr int OutBlockSamples = 24000;
inline constexpr uint32_t GenPhaseMask = 0x3FFFFFFF; // a full turn is 2^30
inline constexpr int GenPhaseShift = 15;             // top 15 of the 30 phase bits index a table

// One source row: its on/off box, the value of its level edit (percent, 1..100)
// and its routing boxes.
struct GenSource {
  bool On;
  int32_t Level;
  bool Left;
  bool Right;
};
// Index 0 f1, 1 f2, 2 noise, 3 sweep.
using GenSources = std::array<GenSource, 4>;

struct GeneratorState {
  // GenTableSize values each, in one block owned by whoever called AllocateGenTables.
  std::array<int16_t*, 4> GenTable{};
  // 30-bit phases; they carry on across buffers, frequency changes and restarts.
  std::array<uint32_t, 4> GenPhase{};
  // Hz for the buffer being made; [2] (noise) is not used.
  std::array<double, 4> GenFreq{};
  double SweepFreq = 0.0; // Hz, always a whole number
  bool SweepUp = true;
  // The tables match the current levels and source boxes. Cleared by the
  // window whenever a source, routing box, level or the increment changes.
  bool TablesValid = false;
};

// Allocates the four tables as one zeroed block of 4 x 65536 bytes; FreeGenTables
// releases it and clears the pointers and TablesValid.
void AllocateGenTables(GeneratorState& State);
void FreeGenTables(GeneratorState& State);

// The amplitude 0..32767 of a source: Trunc(Level x 327.67) when it is on,
// else 0. Levels outside 0..100 are taken as the nearest bound.
int32_t GenAmplitude(const GenSource& Source);

// The phase step per interleaved sample for a tone of Freq Hz:
// Round(2^30 x Freq / 96000), ties to even, modulo 2^32 (a negative
// frequency runs the phase backwards). |Freq| must stay below 2^31 Hz.
uint32_t PhaseIncrement(double Freq);

enum class GenOverflow { None, Overflow };

// When TablesValid is false: rebuilds the four tables from the sources'
// amplitudes, sets TablesValid, and tells whether the amplitudes routed to
// one channel add up to more than 32767 (the peaks would be clipped).
// Returns std::nullopt when the tables were already valid.
std::optional<GenOverflow> BuildTables(GeneratorState& State, const GenSources& Sources);

// Writes OutBlockSamples samples to Block (even index left, odd right) from
// the current tables, phases and GenFreq; each channel is the sum of the
// sources that are on and routed to it, held at -32768..32767 when it would
// pass them. Routing and
// source boxes act at once; levels only once BuildTables has run, which this
// does not call: the caller does so right after. The tables must be allocated.
void Synthesize(GeneratorState& State, const GenSources& Sources, int16_t* Block);

// Advances SweepFreq by one buffer's step between From and To (Hz) in steps of
// Inc, as a triangle that turns as soon as it overshoots the top; Inc <= 0
// picks a random whole frequency 0..22048 Hz instead.
void StepSweep(GeneratorState& State, int32_t From, int32_t To, int32_t Inc);

// The sweep read-out's text: no decimals, right-aligned to at least two characters.
std::string FormatSweep(double SweepFreq);
