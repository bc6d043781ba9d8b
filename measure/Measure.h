// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurement library: what a test bench reports about a captured tone,
// per channel and between the channels, from plain 16-bit sample spans.
// Plain C++ without a toolkit; every function is reentrant (its work arrays
// are its own or thread-local), so any thread may call it.
//
// Levels are in dBFS with 0 dBFS = a sample magnitude of 32768. RMS levels
// follow the convention that a full-scale sine reads -3.01 dBFS RMS (the RMS
// value itself against full scale, not against a full-scale sine's RMS).
// Spans of at least one 2048-frame block are meaningful; one second (48000
// frames) gives the stated accuracies.
//
// A figure that does not exist is NaN, never a stand-in number: the levels
// of silence, every tone figure of a channel without a valid tone, a ratio
// whose other side is below what the transform resolves.

#include <array>
#include <cstdint>
#include <limits>
#include <span>

namespace measure {

inline constexpr double None = std::numeric_limits<double>::quiet_NaN();

constexpr double SampleRate = 48000.0;

// Harmonics 2 up to this one count as distortion, those below half the
// sample rate.
constexpr int HighestHarmonic = 10;

// The band in which the figures hold, for spans of a second or more: a tone's
// lobe stays clear of DC and of half the sample rate. Shorter spans have wider
// lobes and narrow it (see Band).
constexpr double LowestToneHz = 10.0, HighestToneHz = 23990.0;

// Why a channel's tone figures are missing.
enum class Finding : std::uint8_t {
  Tone,        // a tone within the band: the figures are valid
  Silence,     // every sample is 0
  NoTone,      // nothing stands out of the noise
  OutsideBand, // the strongest tone lies outside the band of the span
};

struct Harmonic {
  double FrequencyHz = None;
  double LevelDb = None; // power against the tone; None when below the noise
  double BoundDb = None; // below the noise: weaker than this, against the tone
};

struct ChannelFigures {
  bool Valid = false; // a tone within the band; Found says why not
  Finding Found = Finding::NoTone;
  double FrequencyHz = None;
  double RmsDbfs = None; // full-scale sine reads -3.01; None for silence
  double PeakDbfs = None;
  double ThdDb = None, ThdPercent = None;
  // THD below the noise: the harmonics together are weaker than this (dB).
  double ThdBoundDb = None;
  double ThdnDb = None, ThdnPercent = None;
  double SnrDb = None;
  double NoiseFloorDbfs = None;
  // The strongest tone that is no harmonic (and not the tone): its frequency,
  // RMS level and how far it lies below the tone; None when no tone stands
  // out of the noise besides the tone and its harmonics.
  double SpurHz = None, SpurDbfs = None, SfdrDb = None;
  bool SecondTone = false; // that tone lies within SecondToneDb of the tone
  std::array<Harmonic, HighestHarmonic - 1> Harmonics{}; // 2nd, 3rd, ...; those below
                                                         // half the sample rate
};

// A tone that is no harmonic and lies at most this far below the tone is a
// second tone: THD+N, SNR and the noise floor then hold it.
constexpr double SecondToneDb = 30.0;

enum class PairFinding : std::uint8_t {
  SameTone,       // valid
  NoTone,         // a channel has no valid tone
  DifferentTones, // the channels' tones differ
};

struct PairFigures {
  bool Valid = false;
  PairFinding Found = PairFinding::NoTone;
  double LevelDifferenceDb = None; // left minus right
  double PhaseDegrees = None;      // left relative to right at the fundamental
  double DelaySamples = None;      // positive: left lags right
};

struct Figures {
  ChannelFigures Left, Right;
  PairFigures Between;
};

// The band (Hz) in which a tone of a span of `frames` is measured: from
// LowestToneHz, or higher when the span is short, to HighestToneHz, or lower.
struct ToneBand {
  double LowestHz, HighestHz;
};
ToneBand Band(std::size_t frames, double sampleRate = SampleRate);

// The figures of one channel:
// - FrequencyHz: the strongest tone (above the lowest bins of the span); it
//   must lie within Band() for the figures to be valid.
// - RmsDbfs: RMS of all samples (DC included); PeakDbfs: largest |sample|.
//   These two are filled in also when no tone is found (Valid false).
// - Harmonics: each of 2..10 below sampleRate / 2, against the noise under
//   it, estimated from the bins around it (their median), so that other tones
//   neither erase nor add to it. One that does not stand clearly above that
//   noise is below the noise, with the noise as its bound.
// - ThdDb/ThdPercent: the harmonics against the tone, as power ratio in dB
//   and as amplitude ratio in %; only ThdBoundDb when the harmonics below the
//   noise could change it by more than 1 dB.
// - ThdnDb/ThdnPercent: everything but the tone and DC against the tone.
// - SnrDb: the tone against the noise (everything but tone, harmonics, DC).
// - NoiseFloorDbfs: the RMS of that noise over the whole band 0..sampleRate/2.
// - SpurHz, SpurDbfs, SfdrDb, SecondTone: see ChannelFigures.
ChannelFigures MeasureChannel(std::span<const std::int16_t> samples,
                              double sampleRate = SampleRate);

// Both channels (spans of equal length; the shorter one's length is used)
// and the figures between them, valid when both carry the same tone.
Figures MeasureStereo(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                      double sampleRate = SampleRate);

} // namespace measure
