// SPDX-License-Identifier: GPL-3.0-or-later
// Intermodulation: SMPTE (60 Hz + 7 kHz, 4 : 1), the twin tone's difference
// products, and the twin tone swept.
#include <cmath>
#include <vector>

#include "measure/CardCommon.h"

namespace measure {

namespace {

// Orders of the intermodulation the noise estimate leaves out: i f1 + j f2 for
// |i|, |j| up to this.
constexpr int HighestOrder = 3;
// SMPTE sidebands f2 +- n f1 counted, n = 1 up to this.
constexpr int SmpteSidebands = 3;

struct Ratio {
  double Value = 0;
  bool Bound = false; // no product stood above the noise: Value is the noise in their lobes
  bool Found = true;  // the tones came back
};

// The products' power against the tones' power, each tone and product read
// above the noise per bin that the band holds outside every low-order
// product of the two tones.
Ratio ProductsRatio(const CardSpectrum& s, double rate, double f1, double f2,
                    const std::vector<double>& tones, const std::vector<double>& products) {
  const double top = BandTopHz(rate);
  std::vector<double> skip;
  for (int i = -HighestOrder; i <= HighestOrder; ++i)
    for (int j = -HighestOrder; j <= HighestOrder; ++j)
      if (const double hz = std::abs(i * f1 + j * f2); hz >= BandBottomHz && hz <= top)
        skip.push_back(hz);
  const Band noise = BandPower(s, BandBottomHz, top, skip);
  const double perBin = noise.Bins > 0 ? noise.Power / double(noise.Bins) : 0.0;
  double tonePower = 0, productPower = 0;
  std::size_t inBand = 0;
  for (const double hz : tones)
    tonePower += TonePower(s, hz, perBin);
  for (const double hz : products)
    if (hz >= BandBottomHz && hz <= top) productPower += TonePower(s, hz, perBin), ++inBand;
  const bool bound = productPower <= 0;
  if (bound) productPower = LobeNoise(s, perBin, inBand);
  return {productPower / std::max(tonePower, 1e-300), bound,
          tonePower > ToneProminence * LobeNoise(s, perBin, tones.size())};
}

// The twin tone's difference products: f2 - f1, 2 f1 - f2 and 2 f2 - f1,
// those within the band; against both tones.
Ratio TwinRatio(std::span<const double> x, double rate, const Segment& segment) {
  const double f1 = segment.Hz, f2 = segment.Hz2;
  return ProductsRatio(MakeSpectrum(x, rate), rate, f1, f2, {f1, f2},
                       {f2 - f1, 2 * f1 - f2, 2 * f2 - f1});
}

std::vector<Figure> RatioFigures(const char* key, const char* label, const std::string& played) {
  return {MakeFigure((std::string(key) + "_percent").c_str(), label, "%", played, 5),
          MakeFigure((std::string(key) + "_db").c_str(), label, "dB", played, 1)};
}

void SetRatio(Section& s, int channel, Ratio ratio) {
  if (!ratio.Found) {
    s.Note += MissingNote(channel);
    return;
  }
  Set(s.Figures[0], channel, Percent(ratio.Value));
  Set(s.Figures[1], channel, PowerDb(ratio.Value));
  if (ratio.Bound) s.Note += BoundNote(channel, "no product");
}

} // namespace

Section AnalyseSmpte(const Capture& capture, const TestSignal& pair) {
  const Segment& segment = pair.Segments.front();
  const double f1 = segment.Hz, f2 = segment.Hz2;
  Section s{"imd_smpte", "IMD, SMPTE", true, "", {}, {}};
  s.Figures = RatioFigures(
      "imd_smpte", "IMD SMPTE",
      Text("%.0f Hz + %.0f Hz, 4 : 1, peak %.1f dBFS; sidebands f2 +- n f1, n = 1-%d, against f2",
           f1, f2, segment.Dbfs, SmpteSidebands));
  std::vector<double> sidebands;
  for (int n = 1; n <= SmpteSidebands; ++n)
    sidebands.insert(sidebands.end(), {f2 - n * f1, f2 + n * f1});
  for (int c = 0; c < 2; ++c) {
    const auto x = Middle(Channel(capture, c), segment, capture);
    if (x.empty()) continue;
    SetRatio(s, c,
             ProductsRatio(MakeSpectrum(x, capture.Rate), capture.Rate, f1, f2, {f2}, sidebands));
  }
  return s;
}

Section AnalyseTwinTone(const Capture& capture, const TestSignal& pair) {
  const Segment& segment = pair.Segments.front();
  Section s{"imd_twin", "IMD, twin tone", true, "", {}, {}};
  s.Figures = RatioFigures(
      "imd_twin", "IMD twin tone",
      Text("%.0f Hz + %.0f Hz, equal, peak %.1f dBFS; products f2-f1, 2f1-f2, 2f2-f1 up to %.0f "
           "Hz, against both tones",
           segment.Hz, segment.Hz2, segment.Dbfs, BandTopHz(capture.Rate)));
  for (int c = 0; c < 2; ++c) {
    const auto x = Middle(Channel(capture, c), segment, capture);
    if (!x.empty()) SetRatio(s, c, TwinRatio(x, capture.Rate, segment));
  }
  return s;
}

Section AnalyseSweepingTwinTone(const Capture& capture, const TestSignal& pairs) {
  Section s{"imd_sweep", "IMD, swept twin tone", true, "", {}, {}};
  const std::string played =
      Text("twin tone f1 = %.2f f2, peak %.1f dBFS; products f2-f1, 2f1-f2, 2f2-f1", TwinShare,
           pairs.Segments.front().Dbfs);
  s.Figures = RatioFigures("imd_10khz", "IMD at 10 kHz", played + "; f2 = 10 kHz");
  Curve curve{"imd", "IMD against the upper tone", "upper tone", "Hz", "IMD", "dB", true, {},
              played};
  for (int c = 0; c < 2; ++c) {
    Series line{c == 0 ? "left" : "right", {}, {}};
    for (const Segment& segment : pairs.Segments) {
      const auto x = Middle(Channel(capture, c), segment, capture);
      if (x.empty()) continue;
      const Ratio ratio = TwinRatio(x, capture.Rate, segment);
      if (std::abs(segment.Hz2 - 10000.0) < 1.0) SetRatio(s, c, ratio);
      line.X.push_back(segment.Hz2);
      line.Y.push_back(ratio.Bound || !ratio.Found ? std::nan("") : PowerDb(ratio.Value));
    }
    curve.Lines.push_back(std::move(line));
  }
  s.Curves = {std::move(curve)};
  return s;
}

} // namespace measure
