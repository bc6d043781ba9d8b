// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the card report's analyses share: reading a tone with its harmonics and
// noise from a spectrum, the units, and filling in figures per channel.

#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "measure/CardAnalyses.h"
#include "measure/CardSpectrum.h"

namespace measure {

// The band's bottom; its top is BandTopHz(rate).
constexpr double BandBottomHz = 20.0;
// Harmonics 2 up to this one (within the band) count as distortion.
constexpr int CardHighestHarmonic = 10;

// Power ratio in dB and amplitude ratio in %; a zero ratio reads -300 dB.
double PowerDb(double ratio);
double Percent(double powerRatio);
// A sine's peak level in dBFS from its power (a^2 / 2); RMS level from a power.
double PeakDbfs(double power);
double RmsDbfs(double power);

// A tone read from the spectrum of a segment: its power, its harmonics' power,
// the band's power outside the tone's lobe (harmonics and noise), that with
// the A-curve, the noise per bin outside tone and harmonics, and the noise the
// harmonics' lobes hold: where no harmonic stands above it, the THD's bound.
struct ToneReading {
  double Tone = 0, Harmonics = 0, Residual = 0, WeightedResidual = 0, NoisePerBin = 0;
  double HarmonicNoise = 0;
  bool Found = false; // the tone stands ToneProminence above the noise in its lobe
};

// A tone came back when it stands this far above the noise its lobe holds (20 dB).
constexpr double ToneProminence = 100.0;

// The noise that the lobes of `count` tones hold.
double LobeNoise(const CardSpectrum& s, double noisePerBin, std::size_t count);

// Text for a section's note: a channel's figure is only an upper bound; a
// channel has no figures because its tone did not come back.
std::string BoundNote(int channel, const char* what);
std::string MissingNote(int channel);
ToneReading ReadTone(const CardSpectrum& s, double hz, double rate);

// The channel's span of the capture: 0 left, 1 right.
std::span<const double> Channel(const Capture& capture, int channel);

Figure MakeFigure(const char* key, const char* label, const char* unit, std::string conditions,
                  int decimals = 2);
void Set(Figure& figure, int channel, std::optional<double> value);

// printf into a string, for conditions.
std::string Text(const char* pattern, auto... values) {
  std::string text(std::size_t(std::snprintf(nullptr, 0, pattern, values...)), '\0');
  std::snprintf(text.data(), text.size() + 1, pattern, values...);
  return text;
}

} // namespace measure
