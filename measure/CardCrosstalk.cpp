// SPDX-License-Identifier: GPL-3.0-or-later
// Stereo crosstalk, each direction, and the sample clock's offset.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "measure/CardCommon.h"
#include "measure/Measure.h"

namespace measure {

namespace {

// A leak counts as found when its lobe holds twice the noise it would hold alone.
constexpr double LeakProminence = 2.0;

struct Leak {
  double Ratio = 0;
  bool AboveNoise = false;
  bool Driven = false; // the driven channel's tone came back
};

// The undriven channel's tone at hz against the driven one's; where no tone
// stands above the noise, the noise in its lobe instead, an upper bound.
Leak ReadLeak(std::span<const double> driven, std::span<const double> other, double hz,
              double rate) {
  const ToneReading d = ReadTone(MakeSpectrum(driven, rate), hz, rate);
  const CardSpectrum s = MakeSpectrum(other, rate);
  const ToneReading o = ReadTone(s, hz, rate);
  const double lobeNoise = LobeNoise(s, o.NoisePerBin, 1);
  const bool found = o.Tone > (LeakProminence - 1.0) * lobeNoise;
  return {(found ? o.Tone : lobeNoise) / std::max(d.Tone, 1e-300), found, d.Found};
}

} // namespace

Section AnalyseCrosstalk(const Capture& capture, const TestSignal& tones) {
  Section s{"crosstalk", "Stereo crosstalk", true, "", {}, {}};
  const std::string played =
      Text("the other channel driven at %.1f dBFS; this channel's level at that frequency "
           "against it",
           tones.Segments.front().Dbfs);
  s.Figures = {MakeFigure("crosstalk_100hz_db", "crosstalk at 100 Hz", "dB", played, 1),
               MakeFigure("crosstalk_1khz_db", "crosstalk at 1 kHz", "dB", played, 1),
               MakeFigure("crosstalk_10khz_db", "crosstalk at 10 kHz", "dB", played, 1)};
  std::string bounds; // where no leak stands above the noise
  for (const Segment& segment : tones.Segments) {
    const int driven = segment.To == Drive::LeftOnly ? 0 : 1, other = 1 - driven;
    const auto d = Middle(Channel(capture, driven), segment, capture);
    const auto o = Middle(Channel(capture, other), segment, capture);
    const auto figure = std::find_if(s.Figures.begin(), s.Figures.end(), [&](const Figure& f) {
      return f.Key == Text("crosstalk_%s_db", segment.Hz < 1000    ? "100hz"
                                              : segment.Hz < 10000 ? "1khz"
                                                                   : "10khz");
    });
    if (d.empty() || o.empty() || figure == s.Figures.end()) continue;
    const Leak leak = ReadLeak(d, o, segment.Hz, capture.Rate);
    if (!leak.Driven) {
      s.Note += MissingNote(driven);
      continue;
    }
    Set(*figure, other, PowerDb(leak.Ratio));
    if (!leak.AboveNoise)
      bounds += Text("%s%s at %.0f Hz", bounds.empty() ? "" : ", ", other == 0 ? "left" : "right",
                     segment.Hz);
  }
  if (!bounds.empty())
    s.Note += bounds + ": no leak stands above the noise; the figure is the noise where it would "
                       "be, an upper bound.";
  return s;
}

Section AnalyseClock(const Capture& capture, const TestSignal& longTone) {
  const Segment& segment = longTone.Segments.front();
  Section s{"clock", "Sample-clock offset", true, "", {}, {}};
  s.Figures = {MakeFigure("clock_offset_ppm", "sample-clock offset", "ppm",
                          Text("%.0f Hz for %.0f s; positive: the tone came back higher, the "
                               "input's clock runs slow against the output's",
                               segment.Hz, double(segment.Frames) / capture.Rate),
                          3)};
  for (int c = 0; c < 2; ++c) {
    const auto x = Middle(Channel(capture, c), segment, capture);
    if (x.empty()) continue;
    // The frequency comes from the measurement library's tone finder, which
    // reads 16-bit samples: their rounding leaves a tone's frequency alone.
    std::vector<std::int16_t> samples(x.size());
    std::transform(x.begin(), x.end(), samples.begin(), [](double v) {
      return static_cast<std::int16_t>(std::clamp(std::lround(v * 32768.0), -32768L, 32767L));
    });
    const ChannelFigures f = MeasureChannel(samples, capture.Rate);
    if (f.Valid) Set(s.Figures[0], c, (f.FrequencyHz / segment.Hz - 1.0) * 1e6);
  }
  return s;
}

} // namespace measure
