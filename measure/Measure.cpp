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
// Power ratios are floored here so that silence reads a finite -300 dB.
constexpr double TinyPower = 1e-30;
// A tone is found when it stands this far (power ratio, 20 dB) above the
// noise that shares its bins.
constexpr double ToneProminence = 100.0;
// Nor is anything weaker than -150 dBFS a tone: a silent channel holds only
// the rounding of its neighbour's transform.
constexpr double ToneFloor = 1e-15;
// Cycles of a tone's correlation this close to the strongest count as equal:
// the one nearest zero lag is taken.
constexpr double CorrelationTie = 0.99;
// Lags the cross-correlation looks at: +-half of this many samples.
constexpr std::size_t CorrelationPoints = 4096;

double PowerDb(double ratio) {
  return 10.0 * std::log10(std::max(ratio, TinyPower));
}
double Percent(double powerRatio) {
  return 100.0 * std::sqrt(std::max(powerRatio, 0.0));
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

// The tone's frequency: the vertex of the parabola through the logarithms
// of the top three bins (why that suffices: see ToneSpectrum.h).
double ToneFrequency(const ToneSpectrum& s, std::size_t peak) {
  const double offset =
      Vertex(LogPower(s.Power[peak - 1]), LogPower(s.Power[peak]), LogPower(s.Power[peak + 1]));
  return (static_cast<double>(peak) + offset) * s.BinHz;
}

enum BinClass : std::uint8_t { Noise = 0, Dc = 1, Tone = 2, FirstHarmonic = 3 };

struct Powers {
  double Tone = 0, Harmonics = 0, Noise = 0, NoisePerBin = 0;
  std::size_t ToneBins = 0;
};

// Sums the bins by what they hold: DC, the tone, each harmonic below half the
// sample rate, noise. Noise is assumed even across the band, so the noise per
// bin stands in for the bins the lobes cover and is taken out of the lobes.
Powers SumPowers(const ToneSpectrum& s, double hz, double sampleRate) {
  const std::size_t last = s.Power.size() - 1;
  thread_local std::vector<std::uint8_t> classes;
  classes.assign(s.Power.size(), Noise);
  std::vector<std::pair<std::size_t, std::size_t>> lobes;
  const auto mark = [&](double centreHz, std::uint8_t what) {
    const auto centre = static_cast<std::ptrdiff_t>(std::lround(centreHz / s.BinHz));
    const auto lobe = static_cast<std::ptrdiff_t>(s.Lobe);
    const std::size_t from = static_cast<std::size_t>(std::max<std::ptrdiff_t>(0, centre - lobe));
    const std::size_t to = static_cast<std::size_t>(
        std::min<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(last), centre + lobe));
    for (std::size_t k = from; k <= to; ++k)
      if (classes[k] == Noise) classes[k] = what;
    lobes.emplace_back(from, to);
  };
  mark(0, Dc);
  mark(hz, Tone);
  for (int h = 2; h <= HighestHarmonic && h * hz < sampleRate / 2; ++h)
    mark(h * hz, static_cast<std::uint8_t>(FirstHarmonic + h - 2));

  // Only the lobes are summed bin by bin; the noise is what remains of the total.
  double sums[FirstHarmonic + HighestHarmonic] = {};
  std::size_t counts[FirstHarmonic + HighestHarmonic] = {};
  for (const auto& [from, to] : lobes)
    for (std::size_t k = from; k <= to; ++k)
      if (classes[k] != Noise) {
        sums[classes[k]] += s.Power[k];
        ++counts[classes[k]];
        classes[k] = Noise; // counted once where lobes overlap
      }
  counts[Noise] = s.Power.size();
  sums[Noise] = s.TotalPower;
  for (std::size_t c = Noise + 1; c < std::size(sums); ++c)
    counts[Noise] -= counts[c], sums[Noise] -= sums[c];
  Powers p;
  p.NoisePerBin = counts[Noise] > 0 ? s.PowerScale * sums[Noise] / double(counts[Noise]) : 0.0;
  const auto lobePower = [&](int c) {
    return std::max(0.0, s.PowerScale * sums[c] - p.NoisePerBin * double(counts[c]));
  };
  p.Tone = lobePower(Tone);
  p.ToneBins = counts[Tone];
  for (int c = FirstHarmonic; c < FirstHarmonic + HighestHarmonic - 1; ++c)
    p.Harmonics += lobePower(c);
  // The one-sided spectrum holds the band's power in Points / 2 bins' worth.
  p.Noise = p.NoisePerBin * double(s.Points / 2);
  return p;
}

void Levels(std::span<const std::int16_t> samples, ChannelFigures* f) {
  std::int64_t squares = 0; // exact: at most 2^30 per sample
  int peak = 0;
  for (const std::int16_t s : samples) {
    squares += std::int64_t(s) * s;
    peak = std::max(peak, s < 0 ? -int(s) : int(s));
  }
  const double n = std::max<double>(1, double(samples.size()));
  f->RmsDbfs = PowerDb(double(squares) / n / (FullScale * FullScale));
  f->PeakDbfs = PowerDb(double(peak) * peak / (FullScale * FullScale));
}

ChannelFigures Analyse(std::span<const std::int16_t> samples, const ToneSpectrum& s,
                       double sampleRate) {
  ChannelFigures f;
  Levels(samples, &f);
  const std::size_t peak = PeakBin(s);
  if (peak == 0) return f;
  f.FrequencyHz = ToneFrequency(s, peak);
  const Powers p = SumPowers(s, f.FrequencyHz, sampleRate);
  f.Valid = p.Tone > ToneFloor && p.Tone > ToneProminence * p.NoisePerBin * double(p.ToneBins);
  const double thd = p.Harmonics / std::max(p.Tone, TinyPower);
  const double thdn = (p.Harmonics + p.Noise) / std::max(p.Tone, TinyPower);
  f.ThdDb = PowerDb(thd);
  f.ThdPercent = Percent(thd);
  f.ThdnDb = PowerDb(thdn);
  f.ThdnPercent = Percent(thdn);
  f.SnrDb = PowerDb(p.Tone / std::max(p.Noise, TinyPower));
  f.NoiseFloorDbfs = PowerDb(p.Noise);
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
  f.Between.Valid = true;
  f.Between.LevelDifferenceDb = f.Left.RmsDbfs - f.Right.RmsDbfs;
  // Both channels share the window, so within the tone's lobe the bins of the
  // two differ by exactly the tones' phase difference.
  const auto bin = static_cast<std::size_t>(std::lround(f.Left.FrequencyHz / l.BinHz));
  f.Between.PhaseDegrees = std::arg(l.Bin(bin) * std::conj(r.Bin(bin))) * 180.0 / std::numbers::pi;
  f.Between.DelaySamples = Delay(l, r);
  return f;
}

} // namespace measure
