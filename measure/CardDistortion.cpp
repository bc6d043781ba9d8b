// SPDX-License-Identifier: GPL-3.0-or-later
// Dynamic range, THD and THD+N at a level, and their curves against level
// and frequency, from tones at 997 Hz and steps of tones.
#include <cmath>

#include "measure/CardCommon.h"

namespace measure {

namespace {

const char* Name(int channel) {
  return channel == 0 ? "left" : "right";
}

// THD (harmonics) or THD+N (the band less the tone), as power ratios, of each
// segment of each channel, drawn against the segment's level or frequency.
Curve StepCurve(const Capture& capture, const TestSignal& steps, bool thd, bool againstLevel) {
  Curve curve{thd ? "thd" : "thdn",
              thd ? "THD against frequency" : "THD+N against level",
              againstLevel ? "level" : "frequency",
              againstLevel ? "dBFS" : "Hz",
              thd ? "THD" : "THD+N",
              "dB",
              !againstLevel,
              {},
              {}};
  for (int c = 0; c < 2; ++c) {
    Series line{Name(c), {}, {}};
    for (const Segment& segment : steps.Segments) {
      const auto x = Middle(Channel(capture, c), segment, capture);
      if (x.empty()) continue;
      const ToneReading r = ReadTone(MakeSpectrum(x, capture.Rate), segment.Hz, capture.Rate);
      line.X.push_back(againstLevel ? segment.Dbfs : segment.Hz);
      // Where no tone came back or no harmonic stands above the noise, the curve has a gap.
      const double part = thd ? r.Harmonics : r.Residual;
      line.Y.push_back(r.Found && part > 0 ? PowerDb(part / r.Tone) : std::nan(""));
    }
    curve.Lines.push_back(std::move(line));
  }
  return curve;
}

// The tone of one segment in one channel, when it came back; when it did not,
// the section's note says so.
std::optional<ToneReading> SegmentTone(const Capture& capture, const Segment& segment, int channel,
                                       Section& s) {
  const auto x = Middle(Channel(capture, channel), segment, capture);
  if (x.empty()) return {};
  const ToneReading r = ReadTone(MakeSpectrum(x, capture.Rate), segment.Hz, capture.Rate);
  if (!r.Found) s.Note += MissingNote(channel);
  return r.Found ? std::optional(r) : std::nullopt;
}

} // namespace

Section AnalyseDynamicRange(const Capture& capture, const TestSignal& tone) {
  const Segment& segment = tone.Segments.front();
  const std::string played = Text("%.0f Hz at %.1f dBFS; THD+N %.0f Hz-%.0f Hz, A-weighted",
                                  segment.Hz, segment.Dbfs, BandBottomHz, BandTopHz(capture.Rate));
  Section s{"dynamic_range", "Dynamic range", true, "", {}, {}};
  s.Figures = {
      MakeFigure("dynamic_range_db", "dynamic range", "dB",
                 played + Text(", plus %.0f dB", -segment.Dbfs), 1),
      MakeFigure("thdn_a_db", "THD+N at low level", "dB", played),
  };
  for (int c = 0; c < 2; ++c) {
    const auto r = SegmentTone(capture, segment, c, s);
    if (!r) continue;
    const double thdn = PowerDb(r->WeightedResidual / r->Tone);
    Set(s.Figures[0], c, -thdn - segment.Dbfs);
    Set(s.Figures[1], c, thdn);
  }
  return s;
}

Section AnalyseThd(const Capture& capture, const TestSignal& tone) {
  const Segment& segment = tone.Segments.front();
  const std::string played = Text("%.0f Hz at %.1f dBFS", segment.Hz, segment.Dbfs);
  const std::string harmonics =
      played + Text("; harmonics 2-%d up to %.0f Hz", CardHighestHarmonic, BandTopHz(capture.Rate));
  const std::string band =
      played + Text("; %.0f Hz-%.0f Hz, unweighted", BandBottomHz, BandTopHz(capture.Rate));
  Section s{"thd", "THD and THD+N", true, "", {}, {}};
  s.Figures = {
      MakeFigure("thd_db", "THD", "dB", harmonics, 1),
      MakeFigure("thd_percent", "THD", "%", harmonics, 5),
      MakeFigure("thdn_db", "THD+N", "dB", band, 1),
      MakeFigure("thdn_percent", "THD+N", "%", band, 5),
      MakeFigure("level_dbfs", "level of the tone", "dBFS", played, 3),
      MakeFigure("balance_db", "channel balance, left minus right", "dB", played, 3),
  };
  for (int c = 0; c < 2; ++c) {
    const auto r = SegmentTone(capture, segment, c, s);
    if (!r) continue;
    const double harmonics = r->Harmonics > 0 ? r->Harmonics : r->HarmonicNoise;
    if (r->Harmonics <= 0) s.Note += BoundNote(c, "no harmonic");
    Set(s.Figures[0], c, PowerDb(harmonics / r->Tone));
    Set(s.Figures[1], c, Percent(harmonics / r->Tone));
    Set(s.Figures[2], c, PowerDb(r->Residual / r->Tone));
    Set(s.Figures[3], c, Percent(r->Residual / r->Tone));
    Set(s.Figures[4], c, PeakDbfs(r->Tone));
  }
  Figure& balance = s.Figures[5];
  balance.Pair = true;
  if (s.Figures[4].Left && s.Figures[4].Right)
    balance.Left = *s.Figures[4].Left - *s.Figures[4].Right;
  return s;
}

Section AnalyseThdVsLevel(const Capture& capture, const TestSignal& steps) {
  Section s{"thdn_vs_level", "THD+N against level", true, "", {}, {}};
  s.Curves = {StepCurve(capture, steps, false, true)};
  s.Curves[0].Conditions = Text("%.0f Hz; %.0f Hz-%.0f Hz, unweighted", steps.Segments.front().Hz,
                                BandBottomHz, BandTopHz(capture.Rate));
  return s;
}

Section AnalyseThdVsFrequency(const Capture& capture, const TestSignal& steps) {
  Section s{"thd_vs_frequency", "THD against frequency", true, "", {}, {}};
  s.Curves = {StepCurve(capture, steps, true, false)};
  s.Curves[0].Conditions =
      Text("at %.1f dBFS; harmonics 2-%d up to %.0f Hz", steps.Segments.front().Dbfs,
           CardHighestHarmonic, BandTopHz(capture.Rate));
  return s;
}

} // namespace measure
