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

#include <cstdint>
#include <span>

namespace measure {

struct ChannelFigures {
  bool Valid = false; // false: silence or no tone found; figures below are meaningless
  double FrequencyHz = 0;
  double RmsDbfs = 0; // full-scale sine reads -3.01
  double PeakDbfs = 0;
  double ThdDb = 0, ThdPercent = 0;
  double ThdnDb = 0, ThdnPercent = 0;
  double SnrDb = 0;
  double NoiseFloorDbfs = 0;
};

struct PairFigures {
  bool Valid = false;
  double LevelDifferenceDb = 0; // left minus right
  double PhaseDegrees = 0;      // left relative to right at the fundamental
  double DelaySamples = 0;      // positive: left lags right
};

struct Figures {
  ChannelFigures Left, Right;
  PairFigures Between;
};

constexpr double SampleRate = 48000.0;

// Harmonics 2 up to this one count as distortion, those below half the
// sample rate.
constexpr int HighestHarmonic = 10;

// The figures of one channel:
// - FrequencyHz: the strongest tone (above the lowest 8 bins of the span).
// - RmsDbfs: RMS of all samples (DC included); PeakDbfs: largest |sample|.
//   These two are filled in also when no tone is found (Valid false);
//   silence reads -300.
// - ThdDb/ThdPercent: harmonics 2..10 (below sampleRate / 2) against the tone,
//   as power ratio in dB and as amplitude ratio in %.
// - ThdnDb/ThdnPercent: everything but the tone and DC against the tone.
// - SnrDb: the tone against the noise (everything but tone, harmonics, DC).
// - NoiseFloorDbfs: the RMS of that noise over the whole band 0..sampleRate/2.
ChannelFigures MeasureChannel(std::span<const std::int16_t> samples,
                              double sampleRate = SampleRate);

// Both channels (spans of equal length; the shorter one's length is used)
// and the figures between them.
Figures MeasureStereo(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                      double sampleRate = SampleRate);

} // namespace measure
