// SPDX-License-Identifier: GPL-3.0-or-later
// Frequency response and latency from the logarithmic sweep.
#include <algorithm>
#include <bit>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

#include "measure/CardCommon.h"
#include "measure/Fft.h"

namespace measure {

namespace {

using Complex = std::complex<double>;
constexpr double TwoPi = 2.0 * std::numbers::pi;
// The impulse response is read from this long before its peak to this long
// after: before it lie the band edges' ringing (the inverse filter keeps zero
// phase) and, from 0.3 s on, the harmonics' responses, which must stay out.
constexpr double PreSeconds = 0.25, PostSeconds = 0.5;
// The band's edge below: the inverse filter rises from nothing at this
// frequency to all at SweepStartHz x this share, slowly enough that its
// ringing dies within PreSeconds.
constexpr double KeepFromHz = 2.0, KeepFullShare = 1.2;
// The response is found when its peak's power stands this far above the mean
// power of the whole deconvolved capture (30 dB).
constexpr double ArrivalProminence = 1e3;
// Points per octave of the drawn curves.
constexpr double CurvePointsPerOctave = 24;

// Circular: time 0 = the sweep's first frame as played, negative times at the
// end. Arrivals are looked for within the first Frames only.
struct ImpulseResponses {
  std::vector<double> Left, Right;
  std::size_t Frames = 0;
};

// The gain the inverse filter keeps: the band rises from 2 Hz to 12 Hz and falls
// from just above the band's top to just below the sweep's end, where the
// sweep's own spectrum thins out.
double Keep(double hz, double rate) {
  const auto rise = [](double x) {
    x = std::clamp(x, 0.0, 1.0);
    return 0.5 - 0.5 * std::cos(std::numbers::pi * x);
  };
  const double top = 1.01 * BandTopHz(rate), end = 0.97 * SweepEndShare * rate;
  return rise((hz - KeepFromHz) / (KeepFullShare * SweepStartHz - KeepFromHz)) *
         rise((end - hz) / (end - top));
}

// Both channels deconvolved by the sweep through its inverse filter in the
// frequency domain, conj(X) / |X|^2: left and right share one transform as
// its real and imaginary parts, and the two responses share the inverse one.
ImpulseResponses Deconvolve(const Capture& c, std::span<const double> sweep) {
  const std::size_t n = std::max(c.Left.size(), c.Right.size());
  const std::size_t points = std::bit_ceil(n + sweep.size());
  std::vector<double> yr(points, 0.0), yi(points, 0.0), xr(points, 0.0), xi(points, 0.0);
  std::copy(c.Left.begin(), c.Left.end(), yr.begin());
  std::copy(c.Right.begin(), c.Right.end(), yi.begin());
  std::copy(sweep.begin(), sweep.end(), xr.begin());
  Fft(yr, yi);
  Fft(xr, xi);
  double most = 0;
  for (std::size_t k = 0; k <= points / 2; ++k)
    most = std::max(most, xr[k] * xr[k] + xi[k] * xi[k]);
  // The responses replace the capture's spectrum in place, bin pair by bin pair.
  yr[0] = yi[0] = yr[points / 2] = yi[points / 2] = 0;
  for (std::size_t k = 1; k < points / 2; ++k) {
    const std::size_t m = points - k;
    const Complex x{xr[k], xi[k]}, a{yr[k], yi[k]}, b{yr[m], -yi[m]};
    const double power = std::norm(x);
    const double keep =
        power < 1e-12 * most ? 0.0 : Keep(double(k) * c.Rate / double(points), c.Rate);
    const Complex inverse = keep > 0 ? keep * std::conj(x) / power : Complex{};
    const Complex left = 0.5 * (a + b) * inverse, right = Complex(0, -0.5) * (a - b) * inverse;
    // Z = H_L + i H_R, so that one inverse transform gives h_L and h_R.
    const Complex z = left + Complex(0, 1) * right,
                  zm = std::conj(left) + Complex(0, 1) * std::conj(right);
    yr[k] = z.real(), yi[k] = z.imag();
    yr[m] = zm.real(), yi[m] = zm.imag();
  }
  // The sweep's spectrum is done with: its memory goes before the inverse transform.
  std::vector<double>().swap(xr);
  std::vector<double>().swap(xi);
  Fft(yr, yi, true);
  for (std::size_t i = 0; i < points; ++i)
    yr[i] /= double(points), yi[i] /= double(points);
  return {std::move(yr), std::move(yi), n};
}

// Where the impulse response peaks, to a fraction of a frame; none when no
// peak stands out (nothing came back).
std::optional<double> Arrival(std::span<const double> h) {
  std::size_t peak = 0;
  double energy = 0;
  for (std::size_t i = 0; i < h.size(); ++i) {
    energy += h[i] * h[i];
    if (std::abs(h[i]) > std::abs(h[peak])) peak = i;
  }
  if (h.empty() || h[peak] * h[peak] < ArrivalProminence * energy / double(h.size())) return {};
  if (peak == 0 || peak + 1 == h.size()) return double(peak);
  const double a = std::abs(h[peak - 1]), b = std::abs(h[peak]), c = std::abs(h[peak + 1]);
  const double bend = a - 2 * b + c;
  return double(peak) + (bend < 0 ? 0.5 * (a - c) / bend : 0.0);
}

struct Response {
  std::vector<double> Db, Degrees; // per bin
  double BinHz = 0;
  double At(const std::vector<double>& values, double hz) const {
    const double x = std::clamp(hz / BinHz, 0.0, double(values.size() - 1));
    const auto k = std::min(static_cast<std::size_t>(x), values.size() - 2);
    return values[k] + (x - double(k)) * (values[k + 1] - values[k]);
  }
};

// The response from the impulse response about its arrival: PreSeconds
// before it, PostSeconds after with the last fifth faded out; phase against
// the arrival.
Response ReadResponse(const std::vector<double>& h, double arrival, double rate) {
  const auto pre = static_cast<std::ptrdiff_t>(PreSeconds * rate);
  const auto post = static_cast<std::ptrdiff_t>(PostSeconds * rate);
  const std::size_t points = std::bit_ceil(std::size_t(4 * (pre + post)));
  const auto peak = static_cast<std::ptrdiff_t>(std::lround(arrival));
  std::vector<double> re(points, 0.0), im(points, 0.0);
  const auto size = std::ptrdiff_t(h.size());
  for (std::ptrdiff_t j = -pre; j < post; ++j) {
    const std::ptrdiff_t i = ((peak + j) % size + size) % size;
    const double tail = double(j) / double(post);
    const double fade =
        tail < 0.8 ? 1.0 : 0.5 + 0.5 * std::cos(std::numbers::pi * (tail - 0.8) / 0.2);
    re[std::size_t(j < 0 ? std::ptrdiff_t(points) + j : j)] = fade * h[std::size_t(i)];
  }
  Fft(re, im);
  Response r;
  r.BinHz = rate / double(points);
  r.Db.resize(points / 2 + 1);
  r.Degrees.resize(points / 2 + 1);
  const double shift = arrival - double(peak);
  for (std::size_t k = 0; k <= points / 2; ++k) {
    const Complex bin =
        Complex(re[k], im[k]) * std::polar(1.0, TwoPi * double(k) / double(points) * shift);
    r.Db[k] = 10.0 * std::log10(std::max(std::norm(bin), 1e-30));
    r.Degrees[k] = std::arg(bin) * 180.0 / std::numbers::pi;
  }
  // Unwrapped outwards from 1 kHz, so that the phase there lies within +-180
  // degrees and the bins outside the band, which hold nothing, come last.
  const auto middle = std::min(r.Degrees.size() - 1, std::size_t(std::lround(1000.0 / r.BinHz)));
  for (const std::ptrdiff_t step : {-1, 1})
    for (auto k = std::ptrdiff_t(middle) + step; k >= 0 && k < std::ptrdiff_t(r.Degrees.size());
         k += step) {
      double& here = r.Degrees[std::size_t(k)];
      here -= 360.0 * std::round((here - r.Degrees[std::size_t(k - step)]) / 360.0);
    }
  return r;
}

// Where the response first falls 3 dB below its level at 1 kHz, walking from
// 1 kHz towards `limitHz`; none when it stays within 3 dB up to there.
std::optional<double> ThreeDbPoint(const Response& r, double level, double limitHz) {
  const double floor = level - 3.0;
  const auto start = static_cast<std::ptrdiff_t>(std::lround(1000.0 / r.BinHz));
  const auto end = static_cast<std::ptrdiff_t>(std::lround(limitHz / r.BinHz));
  const std::ptrdiff_t step = end > start ? 1 : -1;
  for (std::ptrdiff_t k = start; k != end; k += step) {
    const double here = r.Db[std::size_t(k)], next = r.Db[std::size_t(k + step)];
    if (next < floor) return (double(k) + double(step) * (here - floor) / (here - next)) * r.BinHz;
  }
  return {};
}

void SetDeviation(Section& section, int channel, const Response& r, double level, double lo,
                  double hi, const char* keyAbove, const char* keyBelow) {
  // The bins within the band, and the band's edges themselves.
  double above = std::max(r.At(r.Db, lo), r.At(r.Db, hi)) - level;
  double below = std::min(r.At(r.Db, lo), r.At(r.Db, hi)) - level;
  const auto first = static_cast<std::size_t>(std::ceil(lo / r.BinHz));
  const auto last = static_cast<std::size_t>(hi / r.BinHz);
  for (std::size_t k = first; k <= last && k < r.Db.size(); ++k) {
    above = std::max(above, r.Db[k] - level);
    below = std::min(below, r.Db[k] - level);
  }
  for (Figure& f : section.Figures) {
    if (f.Key == keyAbove) Set(f, channel, above);
    if (f.Key == keyBelow) Set(f, channel, below);
  }
}

} // namespace

Section AnalyseResponse(const Capture& capture, const TestSignal& sweep) {
  const double rate = capture.Rate, top = BandTopHz(rate);
  const Segment& segment = sweep.Segments.front();
  const std::string sweepText =
      Text("logarithmic sweep %.0f Hz-%.0f Hz, %.1f s, %.1f dBFS", segment.Hz, segment.Hz2,
           double(segment.Frames) / rate, segment.Dbfs);
  const std::string topText = Text("%.0f Hz", top);
  Section s{"response", "Frequency response and latency", true, "", {}, {}};
  s.Figures = {
      MakeFigure("level_1khz_db", "level at 1 kHz", "dB", sweepText + "; gain of the loop", 3),
      MakeFigure("deviation_40_15k_above_db", "deviation 40 Hz-15 kHz, above", "dB",
                 "against the level at 1 kHz", 3),
      MakeFigure("deviation_40_15k_below_db", "deviation 40 Hz-15 kHz, below", "dB",
                 "against the level at 1 kHz", 3),
      MakeFigure("deviation_20_20k_above_db", "deviation 20 Hz-20 kHz, above", "dB",
                 "against the level at 1 kHz", 3),
      MakeFigure("deviation_20_20k_below_db", "deviation 20 Hz-20 kHz, below", "dB",
                 "against the level at 1 kHz", 3),
      MakeFigure("deviation_wide_above_db", "deviation 20 Hz-band top, above", "dB",
                 "up to " + topText + ", at rates above 48 kHz", 3),
      MakeFigure("deviation_wide_below_db", "deviation 20 Hz-band top, below", "dB",
                 "up to " + topText + ", at rates above 48 kHz", 3),
      MakeFigure("minus_3db_low_hz", "-3 dB point, low", "Hz",
                 "below 1 kHz, searched down to 20 Hz", 1),
      MakeFigure("minus_3db_high_hz", "-3 dB point, high", "Hz",
                 "above 1 kHz, searched up to " + topText, 1),
      MakeFigure("latency_ms", "round-trip latency", "ms",
                 "peak of the impulse response after the sweep's first frame was played", 3),
      MakeFigure("latency_frames", "round-trip latency", "frames", Text("at %.0f Hz", rate), 1),
  };
  Curve magnitude{"magnitude", "Frequency response", "frequency", "Hz", "level", "dB", true, {},
                  sweepText};
  Curve phase{"phase",
              "Phase response",
              "frequency",
              "Hz",
              "phase",
              "deg",
              true,
              {},
              "against the impulse response's arrival"};
  const std::size_t frames = std::min(segment.Frames, sweep.Left.size());
  const ImpulseResponses h = Deconvolve(capture, std::span(sweep.Left).first(frames));
  for (int c = 0; c < 2; ++c) {
    const auto& ir = c == 0 ? h.Left : h.Right;
    const std::optional<double> arrival = Arrival(std::span(ir).first(h.Frames));
    if (!arrival) {
      s.Note += c == 0 ? "left: no sweep came back. " : "right: no sweep came back. ";
      continue;
    }
    const Response r = ReadResponse(ir, *arrival, rate);
    const double level = r.At(r.Db, 1000.0);
    Set(s.Figures[0], c, level);
    SetDeviation(s, c, r, level, 40, 15000, "deviation_40_15k_above_db",
                 "deviation_40_15k_below_db");
    SetDeviation(s, c, r, level, 20, 20000, "deviation_20_20k_above_db",
                 "deviation_20_20k_below_db");
    if (top > 20000)
      SetDeviation(s, c, r, level, 20, top, "deviation_wide_above_db", "deviation_wide_below_db");
    Set(s.Figures[7], c, ThreeDbPoint(r, level, BandBottomHz));
    Set(s.Figures[8], c, ThreeDbPoint(r, level, top));
    Set(s.Figures[9], c, *arrival / rate * 1000.0);
    Set(s.Figures[10], c, *arrival);
    Series m{c == 0 ? "left" : "right", {}, {}}, p = m;
    for (double hz = BandBottomHz; hz <= top * 1.0001;
         hz *= std::exp2(1.0 / CurvePointsPerOctave)) {
      m.X.push_back(hz), m.Y.push_back(r.At(r.Db, hz));
      p.X.push_back(hz), p.Y.push_back(r.At(r.Degrees, hz));
    }
    magnitude.Lines.push_back(std::move(m));
    phase.Lines.push_back(std::move(p));
  }
  s.Curves = {std::move(magnitude), std::move(phase)};
  return s;
}

std::optional<double> LatencyFrames(const Section& response) {
  const Figure* f = FindFigure(response, "latency_frames");
  if (!f) return {};
  return f->Left ? f->Left : f->Right;
}

} // namespace measure
