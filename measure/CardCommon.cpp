// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/CardCommon.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace measure {

namespace {

constexpr double GuardSeconds = 0.1;
constexpr double TinyPower = 1e-30;

} // namespace

double PowerDb(double ratio) {
  return 10.0 * std::log10(std::max(ratio, TinyPower));
}
double Percent(double powerRatio) {
  return 100.0 * std::sqrt(std::max(powerRatio, 0.0));
}
double PeakDbfs(double power) {
  return PowerDb(2.0 * power);
}
double RmsDbfs(double power) {
  return PowerDb(power);
}

std::span<const double> Middle(std::span<const double> channel, const Segment& segment,
                               const Capture& capture) {
  const auto guard = static_cast<std::ptrdiff_t>(
      std::min(GuardSeconds * capture.Rate, double(segment.Frames) / 5.0));
  const auto start =
      std::ptrdiff_t(segment.Start) + std::ptrdiff_t(std::lround(capture.LatencyFrames));
  const std::ptrdiff_t from = std::max<std::ptrdiff_t>(0, start + guard);
  const std::ptrdiff_t to = std::min<std::ptrdiff_t>(
      std::ptrdiff_t(channel.size()), start + std::ptrdiff_t(segment.Frames) - guard);
  if (to <= from) return {};
  return channel.subspan(std::size_t(from), std::size_t(to - from));
}

ToneReading ReadTone(const CardSpectrum& s, double hz, double rate) {
  const double top = BandTopHz(rate);
  std::vector<double> skip{hz};
  for (int h = 2; h <= CardHighestHarmonic && h * hz <= top; ++h)
    skip.push_back(h * hz);
  ToneReading r;
  const Band noise = BandPower(s, BandBottomHz, top, skip);
  r.NoisePerBin = noise.Bins > 0 ? noise.Power / double(noise.Bins) : 0.0;
  r.Tone = TonePower(s, hz, r.NoisePerBin);
  for (std::size_t h = 1; h < skip.size(); ++h)
    r.Harmonics += TonePower(s, skip[h], r.NoisePerBin);
  r.HarmonicNoise = LobeNoise(s, r.NoisePerBin, skip.size() - 1);
  r.Found = r.Tone > ToneProminence * LobeNoise(s, r.NoisePerBin, 1);
  r.Residual = BandPower(s, BandBottomHz, top, std::span(skip).first(1)).Power;
  r.WeightedResidual = BandPower(s, BandBottomHz, top, std::span(skip).first(1), true).Power;
  return r;
}

double LobeNoise(const CardSpectrum& s, double noisePerBin, std::size_t count) {
  return noisePerBin * double((2 * s.Lobe + 1) * count);
}

std::string BoundNote(int channel, const char* what) {
  return Text("%s: %s stands above the noise; the figure is the noise where it would be, an upper "
              "bound. ",
              channel == 0 ? "left" : "right", what);
}

std::string MissingNote(int channel) {
  return channel == 0 ? "left: no tone came back. " : "right: no tone came back. ";
}

std::span<const double> Channel(const Capture& capture, int channel) {
  return channel == 0 ? capture.Left : capture.Right;
}

Figure MakeFigure(const char* key, const char* label, const char* unit, std::string conditions,
                  int decimals) {
  return {key, label, unit, std::move(conditions), decimals, {}, {}, false};
}

void Set(Figure& figure, int channel, std::optional<double> value) {
  (channel == 0 ? figure.Left : figure.Right) = value;
}

} // namespace measure
