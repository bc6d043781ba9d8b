// SPDX-License-Identifier: GPL-3.0-or-later
// Noise level, the largest hum or spurious tone, and DC offset, from silence.
#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

#include "measure/CardCommon.h"

namespace measure {

namespace {

// The noise spectrum is drawn in bands of this many per octave.
constexpr double BandsPerOctave = 12;

// A spurious tone counts when its lobe holds this much more than the noise
// that lobe would hold alone (10 dB).
constexpr double SpurProminence = 10.0;

struct Spur {
  double Hz = 0, Power = 0;
};

// The strongest bin of the band, and the tone about it if it stands out.
std::optional<Spur> LargestTone(const CardSpectrum& s, double top) {
  const auto first = static_cast<std::size_t>(std::ceil(BandBottomHz / s.BinHz));
  const auto last = std::min(s.Power.size() - 1, static_cast<std::size_t>(top / s.BinHz));
  std::size_t peak = first;
  for (std::size_t k = first; k <= last; ++k)
    if (s.Power[k] > s.Power[peak]) peak = k;
  const double hz = double(peak) * s.BinHz;
  const Band noise = BandPower(s, BandBottomHz, top, std::span(&hz, 1));
  const double perBin = noise.Bins > 0 ? noise.Power / double(noise.Bins) : 0.0;
  const double power = TonePower(s, hz, perBin);
  const double lobeBins = double(2 * s.Lobe + 1);
  if (power < SpurProminence * perBin * lobeBins) return {};
  // The lobe is symmetric about the tone: its centre of power is the tone's frequency.
  double sum = 0, moment = 0;
  for (std::size_t k = peak > s.Lobe ? peak - s.Lobe : 0; k <= peak + s.Lobe && k < s.Power.size();
       ++k)
    sum += s.Power[k], moment += double(k) * s.Power[k];
  return Spur{moment / sum * s.BinHz, power};
}

// The spectrum as a tone would read in it, in bands of 1/BandsPerOctave: the
// strongest lobe's power (the bins within Lobe of a bin, summed) in each band.
Series ToneLevels(const CardSpectrum& s, double top, const char* name) {
  std::vector<double> sums(s.Power.size() + 1, 0.0); // running sums of the bins
  for (std::size_t k = 0; k < s.Power.size(); ++k)
    sums[k + 1] = sums[k] + s.Power[k];
  const auto lobe = [&](std::size_t k) {
    return sums[std::min(k + s.Lobe + 1, s.Power.size())] - sums[k > s.Lobe ? k - s.Lobe : 0];
  };
  const double half = std::exp2(0.5 / BandsPerOctave);
  Series line{name, {}, {}};
  for (double hz = BandBottomHz * half; hz * half <= top; hz *= half * half) {
    double most = 0;
    const auto last = std::min(s.Power.size() - 1, std::size_t(hz * half / s.BinHz));
    for (auto k = std::size_t(std::ceil(hz / half / s.BinHz)); k <= last; ++k)
      most = std::max(most, lobe(k));
    line.X.push_back(hz);
    line.Y.push_back(RmsDbfs(most));
  }
  return line;
}

} // namespace

Section AnalyseNoise(const Capture& capture, const TestSignal& silence) {
  const double top = BandTopHz(capture.Rate);
  const std::string band = Text("no signal played; %.0f Hz-%.0f Hz", BandBottomHz, top);
  Section s{"noise", "Noise level", true, "", {}, {}};
  s.Figures = {
      MakeFigure("noise_dbfs", "noise, unweighted", "dBFS", band + ", RMS"),
      MakeFigure("noise_a_dbfs", "noise, A-weighted", "dBFS", band + ", RMS, A-weighted"),
      MakeFigure("spur_hz", "largest hum or spurious tone", "Hz",
                 band + "; a tone 10 dB above the noise about it", 1),
      MakeFigure("spur_dbfs", "largest hum or spurious tone", "dBFS", band + ", RMS"),
      MakeFigure("dc_offset_percent", "DC offset", "% FS", "mean of the silent capture", 4),
  };
  Curve spectrum{"noise_spectrum",
                 "Noise spectrum",
                 "frequency",
                 "Hz",
                 "level",
                 "dBFS",
                 true,
                 {},
                 band + Text(", RMS of the strongest tone in each 1/%.0f octave; noise reads "
                             "as its power within one tone's lobe",
                             BandsPerOctave)};
  for (int c = 0; c < 2; ++c) {
    const auto x = Middle(Channel(capture, c), silence.Segments.front(), capture);
    if (x.empty()) continue;
    const CardSpectrum bins = MakeSpectrum(x, capture.Rate);
    Set(s.Figures[0], c, RmsDbfs(BandPower(bins, BandBottomHz, top).Power));
    Set(s.Figures[1], c, RmsDbfs(BandPower(bins, BandBottomHz, top, {}, true).Power));
    spectrum.Lines.push_back(ToneLevels(bins, top, c == 0 ? "left" : "right"));
    if (const auto spur = LargestTone(bins, top)) {
      Set(s.Figures[2], c, spur->Hz);
      Set(s.Figures[3], c, RmsDbfs(spur->Power));
    }
    Set(s.Figures[4], c, 100.0 * std::accumulate(x.begin(), x.end(), 0.0) / double(x.size()));
  }
  s.Curves = {std::move(spectrum)};
  return s;
}

} // namespace measure
