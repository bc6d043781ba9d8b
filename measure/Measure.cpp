// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Measure.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "measure/Fft.h"
#include "measure/ToneSpectrum.h"

namespace measure {

namespace {

constexpr double FullScale = 32768.0;
// The parabola through the top bins' logarithms takes a power of 0 as this.
constexpr double TinyPower = 1e-30;
// A tone is found when it stands this far (power ratio, 20 dB) above the
// noise that shares its bins.
constexpr double ToneProminence = 100.0;
// Nor is anything weaker than -150 dBFS a tone: a silent channel holds only
// the rounding of its neighbour's transform.
constexpr double ToneFloor = 1e-15;
// The window's side lobes over the whole band, and the transform's rounding,
// lie some 150 dB under the tone: a power 140 dB below it is no measurement.
constexpr double Resolvable = 1e-14;
// A harmonic counts when it holds this many times the noise in its lobe
// (6 dB over both together); weaker, it is below the noise, and this much
// noise is its bound.
constexpr double HarmonicProminence = 3.0;
// A spurious tone holds ten times the noise in its lobe: noise alone comes
// nowhere near that in any lobe of the band.
constexpr double SpurProminence = 10.0;
// The noise under a component is the median of the noise bins within this
// many lobe widths either side; with fewer bins than FewestNeighbours there,
// the band's average stands in.
constexpr std::size_t NeighbourLobes = 6, FewestNeighbours = 16;
// The median of a noise bin's power (an exponential variable) is its mean
// times ln 2.
constexpr double MedianToMean = 1.0 / std::numbers::ln2;
// Harmonics below the noise that could raise the THD by more than 1 dB leave
// only its bound.
constexpr double ThdSpread = 0.2589254117941673; // 10^(1/10) - 1
// Cycles of a tone's correlation this close to the strongest count as equal:
// the one nearest zero lag is taken.
constexpr double CorrelationTie = 0.99;
// Lags the cross-correlation looks at: +-half of this many samples.
constexpr std::size_t CorrelationPoints = 4096;

double Db(double ratio) {
  return 10.0 * std::log10(ratio);
}
double Percent(double powerRatio) {
  return 100.0 * std::sqrt(powerRatio);
}
// 10 log10(part / whole), None when the part is beyond resolution.
double ResolvedDb(double part, double whole) {
  return part > Resolvable * whole ? Db(part / whole) : None;
}
// A bound on 10 log10(part / whole): beyond resolution, the resolution.
double BoundDb(double part, double whole) {
  return Db(std::max(part, Resolvable * whole) / whole);
}

// The vertex of the parabola through (-1, a), (0, b), (1, c), as an offset
// from the middle point; 0 when the three do not bend down.
double Vertex(double a, double b, double c) {
  const double bend = a - 2.0 * b + c;
  return bend < 0 ? 0.5 * (a - c) / bend : 0.0;
}

double LogPower(double power) {
  return std::log(std::max(power, TinyPower));
}

// The strongest bin above the DC lobe, 0 when there is none.
std::size_t PeakBin(const ToneSpectrum& s) {
  std::size_t peak = 0;
  double most = 0;
  for (std::size_t k = s.Lobe + 1; k + 1 < s.Power.size(); ++k)
    if (s.Power[k] > most) most = s.Power[k], peak = k;
  return peak;
}

// A tone's frequency: the vertex of the parabola through the logarithms of
// the top three bins (why that suffices: see ToneSpectrum.h).
double ToneFrequency(const ToneSpectrum& s, std::size_t peak) {
  const double offset =
      Vertex(LogPower(s.Power[peak - 1]), LogPower(s.Power[peak]), LogPower(s.Power[peak + 1]));
  return (static_cast<double>(peak) + offset) * s.BinHz;
}

// Harmonics beyond HighestHarmonic count as noise, yet are no spurious tone.
enum BinClass : std::uint8_t { Noise = 0, Dc, Tone, Spur, HigherHarmonic, FirstHarmonic };

// The bins of one spectrum by what they hold. A component's lobe takes the
// bins no earlier lobe took; its power is the sum of those bins less the
// noise under them.
class Bins {
public:
  struct Lobe {
    std::size_t From = 0, To = 0, Count = 0; // Count: the bins that are its own
    std::uint8_t What = Noise;
    double Sum = 0; // their power
  };

  explicit Bins(const ToneSpectrum& s) : s_(s) { classes_.assign(s.Power.size(), Noise); }

  Lobe Mark(double centreHz, std::uint8_t what) {
    const std::size_t last = s_.Power.size() - 1;
    const auto centre = static_cast<std::ptrdiff_t>(std::lround(centreHz / s_.BinHz));
    const auto lobe = static_cast<std::ptrdiff_t>(s_.Lobe);
    Lobe l;
    l.What = what;
    l.From = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, centre - lobe));
    l.To = static_cast<std::size_t>(
        std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(last), centre + lobe));
    for (std::size_t k = l.From; k <= l.To; ++k)
      if (classes_[k] == Noise) {
        classes_[k] = what;
        l.Sum += s_.PowerScale * s_.Power[k];
        ++l.Count;
        marked_ += s_.PowerScale * s_.Power[k];
        ++markedCount_;
      }
    return l;
  }

  // The noise per bin over the whole band, from the bins no lobe took.
  double BandNoise() const {
    const std::size_t count = classes_.size() - markedCount_;
    return count > 0 ? std::max(0.0, s_.PowerScale * s_.TotalPower - marked_) / double(count) : 0.0;
  }

  // The noise per bin under a lobe: the median of the noise bins around it.
  double NoiseAround(const Lobe& l) const {
    const std::size_t reach = NeighbourLobes * (2 * s_.Lobe + 1);
    const std::size_t from = l.From > reach ? l.From - reach : 0;
    const std::size_t to = std::min(classes_.size() - 1, l.To + reach);
    thread_local std::vector<double> around;
    around.clear();
    for (std::size_t k = from; k <= to; ++k)
      if (classes_[k] == Noise) around.push_back(s_.Power[k]);
    if (around.size() < FewestNeighbours) return BandNoise();
    const auto middle = around.begin() + std::ptrdiff_t(around.size() / 2);
    std::nth_element(around.begin(), middle, around.end());
    return s_.PowerScale * *middle * MedianToMean;
  }

  // The strongest noise bin above the DC lobe; 0 when there is none.
  std::size_t StrongestNoise() const {
    std::size_t strongest = 0;
    for (std::size_t k = s_.Lobe + 1; k + 1 < classes_.size(); ++k)
      if (classes_[k] == Noise && (strongest == 0 || s_.Power[k] > s_.Power[strongest]))
        strongest = k;
    return strongest;
  }

private:
  const ToneSpectrum& s_;
  std::vector<std::uint8_t> classes_;
  double marked_ = 0;
  std::size_t markedCount_ = 0;
};

// A component's power: its lobe less the noise under it, and that noise.
struct Component {
  double Power, NoiseInLobe;
};
Component Measured(const Bins& bins, const Bins::Lobe& lobe) {
  const double noise = bins.NoiseAround(lobe) * double(lobe.Count);
  return {std::max(0.0, lobe.Sum - noise), noise};
}

void Levels(std::span<const std::int16_t> samples, ChannelFigures* f) {
  std::int64_t squares = 0; // exact: at most 2^30 per sample
  int peak = 0;
  for (const std::int16_t s : samples) {
    squares += std::int64_t(s) * s;
    peak = std::max(peak, s < 0 ? -int(s) : int(s));
  }
  if (peak == 0) return; // silence has no level
  const double n = double(samples.size());
  f->RmsDbfs = Db(double(squares) / n / (FullScale * FullScale));
  f->PeakDbfs = Db(double(peak) * peak / (FullScale * FullScale));
}

// The harmonics against the tone; THD from those above the noise, or only
// its bound when those below it could change it by more than 1 dB.
void Distortion(const Bins& bins, std::span<const Bins::Lobe> lobes, double tone,
                ChannelFigures* f) {
  double above = 0, below = 0;
  for (std::size_t i = 0; i < lobes.size(); ++i) {
    Harmonic& harmonic = f->Harmonics[i];
    harmonic.FrequencyHz = double(i + 2) * f->FrequencyHz;
    const Component c = Measured(bins, lobes[i]);
    if (c.Power > HarmonicProminence * c.NoiseInLobe) {
      harmonic.LevelDb = Db(c.Power / tone);
      above += c.Power;
    } else {
      harmonic.BoundDb = BoundDb(HarmonicProminence * c.NoiseInLobe, tone);
      below += HarmonicProminence * c.NoiseInLobe;
    }
  }
  if (above > 0 && below <= ThdSpread * above) {
    f->ThdDb = Db(above / tone);
    f->ThdPercent = Percent(above / tone);
  } else if (above + below > 0) {
    f->ThdBoundDb = BoundDb(above + below, tone);
  }
}

// The strongest tone besides the tone and its harmonics, if one stands out
// of the noise. Call once every other lobe is marked and the noise read.
void Spurious(Bins& bins, const ToneSpectrum& s, double sampleRate, double tone,
              ChannelFigures* f) {
  for (int h = HighestHarmonic + 1; h * f->FrequencyHz < sampleRate / 2; ++h)
    bins.Mark(h * f->FrequencyHz, HigherHarmonic);
  const std::size_t strongest = bins.StrongestNoise();
  if (strongest == 0) return;
  const double hz = ToneFrequency(s, strongest);
  const Component c = Measured(bins, bins.Mark(hz, Spur));
  if (!(c.Power > SpurProminence * c.NoiseInLobe)) return;
  f->SpurHz = hz;
  f->SpurDbfs = Db(c.Power);
  f->SfdrDb = Db(tone / c.Power);
  f->SecondTone = f->SfdrDb <= SecondToneDb;
}

ChannelFigures Analyse(std::span<const std::int16_t> samples, const ToneSpectrum& s,
                       double sampleRate) {
  ChannelFigures f;
  Levels(samples, &f);
  if (std::isnan(f.PeakDbfs)) {
    f.Found = Finding::Silence;
    return f;
  }
  const std::size_t peak = PeakBin(s);
  if (peak == 0) return f;
  const double hz = ToneFrequency(s, peak);
  // Every lobe of the tone and its harmonics is marked before any noise
  // under one is read: none counts as another's noise.
  Bins bins(s);
  const Bins::Lobe dc = bins.Mark(0, Dc);
  const Bins::Lobe toneLobe = bins.Mark(hz, Tone);
  std::array<Bins::Lobe, HighestHarmonic - 1> harmonics{};
  std::size_t count = 0;
  for (int h = 2; h <= HighestHarmonic && h * hz < sampleRate / 2; ++h)
    harmonics[count++] = bins.Mark(h * hz, static_cast<std::uint8_t>(FirstHarmonic + h - 2));
  const Component tone = Measured(bins, toneLobe);
  if (!(tone.Power > ToneFloor && tone.Power > ToneProminence * tone.NoiseInLobe)) return f;
  // A peak at the edge of the search is the skirt of a tone below it.
  const ToneBand band = Band(samples.size(), sampleRate);
  if (s.Power[peak - 1] > s.Power[peak] || hz < band.LowestHz || hz > band.HighestHz) {
    f.Found = Finding::OutsideBand;
    return f;
  }
  f.Valid = true;
  f.Found = Finding::Tone;
  f.FrequencyHz = hz;
  Distortion(bins, std::span(harmonics).first(count), tone.Power, &f);

  // Everything but the tone and DC; the noise under their lobes counts as
  // the band's.
  const double noisePerBin = bins.BandNoise();
  const double rest = std::max(0.0, s.PowerScale * s.TotalPower - toneLobe.Sum - dc.Sum) +
                      noisePerBin * double(toneLobe.Count + dc.Count);
  f.ThdnDb = ResolvedDb(rest, tone.Power);
  f.ThdnPercent = std::isnan(f.ThdnDb) ? None : Percent(rest / tone.Power);
  // The one-sided spectrum holds the band's power in Points / 2 bins' worth.
  const double noise = noisePerBin * double(s.Points / 2);
  if (noise > Resolvable * tone.Power) {
    f.SnrDb = Db(tone.Power / noise);
    f.NoiseFloorDbfs = Db(noise);
  }
  Spurious(bins, s, sampleRate, tone.Power, &f);
  return f;
}

// Delay of left behind right in samples: the peak of the cross-correlation
// (from the cross-spectrum, sampled down to CorrelationPoints lags), then the
// sub-sample rest from the slope of the cross-spectrum's phase, each bin
// weighted by its magnitude. For a tone that slope is its phase difference
// over its frequency, so the delay and the phase agree.
double Delay(const ToneSpectrum& l, const ToneSpectrum& r) {
  const std::size_t points = l.Points;
  const std::size_t lags = std::min(points, CorrelationPoints);
  const std::size_t step = points / lags;
  thread_local std::vector<double> re, im;
  re.assign(lags, 0.0);
  im.assign(lags, 0.0);
  for (std::size_t m = 0; m <= lags / 2; ++m) {
    const std::complex<double> c = l.Bin(m * step) * std::conj(r.Bin(m * step));
    re[m] = c.real(), im[m] = c.imag();
    if (m > 0 && m < lags / 2) re[lags - m] = c.real(), im[lags - m] = -c.imag();
  }
  Fft(re, im, true);
  const auto lagOf = [&](std::size_t i) {
    return i < lags / 2 ? double(i) : double(i) - double(lags);
  };
  double most = 0;
  for (const double c : re)
    most = std::max(most, c);
  double whole = 0;
  for (std::size_t i = 0, first = 1; i < lags; ++i)
    if (re[i] >= CorrelationTie * most && (first || std::abs(lagOf(i)) < std::abs(whole)))
      whole = lagOf(i), first = 0;

  double strongest = 0; // squared magnitude
  for (std::size_t k = 1; k + 1 < l.Power.size(); ++k)
    strongest = std::max(strongest, l.Power[k] * r.Power[k]);
  const double binOmega = 2.0 * std::numbers::pi / double(points);
  double num = 0, den = 0;
  for (std::size_t k = 1; k + 1 < l.Power.size(); ++k) {
    if (l.Power[k] * r.Power[k] < 1e-6 * strongest) continue;
    const std::complex<double> c = l.Bin(k) * std::conj(r.Bin(k));
    const double weight = std::abs(c);
    const double omega = binOmega * double(k);
    const double theta = std::arg(c * std::polar(1.0, omega * whole));
    num += weight * omega * theta;
    den += weight * omega * omega;
  }
  return den > 0 ? whole - num / den : whole;
}

} // namespace

ToneBand Band(std::size_t frames, double sampleRate) {
  const std::size_t points = FftSize(std::max<std::size_t>(frames, 1));
  // The lobe and a bin more: the top three bins stay clear of DC's lobe and
  // of the tone's own image beyond half the sample rate.
  const double clear =
      double(LobeBins(std::max<std::size_t>(frames, 1), points) + 1) * sampleRate / double(points);
  return {std::max(LowestToneHz, clear), std::min(HighestToneHz, sampleRate / 2 - clear)};
}

ChannelFigures MeasureChannel(std::span<const std::int16_t> samples, double sampleRate) {
  if (samples.size() < 4) return {};
  ToneSpectrum s;
  TransformChannels(samples, {}, sampleRate, &s, nullptr);
  return Analyse(samples, s, sampleRate);
}

Figures MeasureStereo(std::span<const std::int16_t> left, std::span<const std::int16_t> right,
                      double sampleRate) {
  const std::size_t n = std::min(left.size(), right.size());
  if (n < 4) return {};
  left = left.first(n);
  right = right.first(n);
  ToneSpectrum l, r;
  TransformChannels(left, right, sampleRate, &l, &r);
  Figures f{Analyse(left, l, sampleRate), Analyse(right, r, sampleRate), {}};
  if (!f.Left.Valid || !f.Right.Valid) return f;
  // The same tone reads the same on both channels, within half a bin of the span.
  if (std::abs(f.Left.FrequencyHz - f.Right.FrequencyHz) > 0.5 * sampleRate / double(n)) {
    f.Between.Found = PairFinding::DifferentTones;
    return f;
  }
  f.Between.Valid = true;
  f.Between.Found = PairFinding::SameTone;
  f.Between.LevelDifferenceDb = f.Left.RmsDbfs - f.Right.RmsDbfs;
  // Both channels share the window, so within the tone's lobe the bins of the
  // two differ by exactly the tones' phase difference.
  const auto bin = static_cast<std::size_t>(std::lround(f.Left.FrequencyHz / l.BinHz));
  f.Between.PhaseDegrees = std::arg(l.Bin(bin) * std::conj(r.Bin(bin))) * 180.0 / std::numbers::pi;
  f.Between.DelaySamples = Delay(l, r);
  return f;
}

} // namespace measure
