// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The spectrum window's long transforms: both channels of the captured
// stream through one complex transform of 2048 ... 65536 points, repeated
// with overlap as the blocks come. Plain C++, no toolkit, any processor.
//
// Levels are powers relative to full scale: a sine of peak amplitude 32768
// whose frequency lies on a bin's centre reads 1.0 (0 dBFS) in that bin,
// under every window.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

#include "measure/AnalysisWindow.h"

namespace measure {

struct LongSpectrumSettings {
  std::size_t Size = 16384; // a power of two, MinLongSize ... MaxLongSize
  WindowKind Window = WindowKind::Hann;
  // Transforms begun within one transform's length: 1 without overlap, 2 for
  // 50 %, 8 for 87.5 %; 1 ... MaxHops.
  int Hops = 8;
};
inline constexpr int MaxHops = 64;
inline constexpr std::size_t MinLongSize = 2048, MaxLongSize = 65536;

class LongSpectrum {
public:
  // Each channel's power per bin, 0 ... Size / 2.
  using Sink = std::function<void(std::span<const double> left, std::span<const double> right)>;

  explicit LongSpectrum(double sampleRate) : sampleRate_(sampleRate) { Configure({}); }

  // Takes new settings (a size outside the range or no power of two is
  // replaced by the next one allowed, hops are clamped) and drops the frames
  // collected.
  void Configure(const LongSpectrumSettings& settings);
  const LongSpectrumSettings& Settings() const { return settings_; }
  // Drops the frames collected: the next transform waits for Size new ones.
  void Restart();

  // Appends frames (both spans of one length). Each time Hop() new frames
  // have come since the last transform, once Size are held, transforms the
  // latest Size and hands each channel's spectrum to done. Returns how many
  // transforms were made.
  int Add(std::span<const int16_t> left, std::span<const int16_t> right, const Sink& done);

  std::size_t Bins() const { return settings_.Size / 2 + 1; }
  double BinHz() const { return sampleRate_ / double(settings_.Size); }
  std::size_t Hop() const { return hop_; }
  double SampleRate() const { return sampleRate_; }

private:
  void Transform(const Sink& done);

  double sampleRate_;
  LongSpectrumSettings settings_;
  std::size_t hop_ = 0;
  std::vector<double> weights_;
  std::vector<int16_t> left_, right_; // the latest frames, at most Size
  std::size_t sinceLast_ = 0;         // frames come since the last transform
  std::vector<double> re_, im_, powerL_, powerR_;
};

// The strongest tone of a spectrum: its frequency and level between the
// bins, from the three highest bins and the window's response.
struct SpectrumPeak {
  double FrequencyHz = 0;
  double Power = 0; // relative to full scale, as the bins; 0: no peak
};
// Searches bins from fromBin on (DC and the lowest bins hold the window's
// spread of any offset).
SpectrumPeak FindPeak(std::span<const double> power, WindowKind window, double binHz,
                      std::size_t fromBin = 1);

} // namespace measure
