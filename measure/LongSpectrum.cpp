// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/LongSpectrum.h"

#include <algorithm>
#include <bit>
#include <cmath>

#include "measure/Fft.h"

namespace measure {

namespace {
constexpr double FullScale = 32768.0;
} // namespace

void LongSpectrum::Configure(const LongSpectrumSettings& settings) {
  settings_ = settings;
  settings_.Size = std::bit_ceil(std::clamp(settings.Size, MinLongSize, MaxLongSize));
  settings_.Hops = std::clamp(settings.Hops, 1, MaxHops);
  hop_ = settings_.Size / std::size_t(settings_.Hops);
  weights_ = WindowWeights(settings_.Window, settings_.Size);
  re_.assign(settings_.Size, 0.0);
  im_.assign(settings_.Size, 0.0);
  powerL_.assign(Bins(), 0.0);
  powerR_.assign(Bins(), 0.0);
  left_.reserve(settings_.Size + hop_);
  right_.reserve(settings_.Size + hop_);
  Restart();
}

void LongSpectrum::Restart() {
  left_.clear();
  right_.clear();
  sinceLast_ = 0;
}

int LongSpectrum::Add(std::span<const int16_t> left, std::span<const int16_t> right,
                      const Sink& done) {
  const std::size_t n = settings_.Size;
  int made = 0;
  // Frame by frame up to each transform, so that a hop shorter than a block
  // gives every transform it should.
  std::size_t at = 0;
  const std::size_t frames = std::min(left.size(), right.size());
  while (at < frames) {
    const std::size_t take =
        std::min(frames - at, left_.size() < n ? n - left_.size() : hop_ - sinceLast_);
    left_.insert(left_.end(), left.begin() + std::ptrdiff_t(at),
                 left.begin() + std::ptrdiff_t(at + take));
    right_.insert(right_.end(), right.begin() + std::ptrdiff_t(at),
                  right.begin() + std::ptrdiff_t(at + take));
    at += take;
    sinceLast_ += take;
    if (left_.size() > n) {
      const auto drop = std::ptrdiff_t(left_.size() - n);
      left_.erase(left_.begin(), left_.begin() + drop);
      right_.erase(right_.begin(), right_.begin() + drop);
    }
    if (left_.size() == n && sinceLast_ >= hop_) {
      Transform(done);
      sinceLast_ = 0;
      ++made;
    }
  }
  return made;
}

void LongSpectrum::Transform(const Sink& done) {
  const std::size_t n = settings_.Size;
  double gain = 0;
  for (std::size_t i = 0; i < n; ++i) {
    re_[i] = left_[i] * weights_[i];
    im_[i] = right_[i] * weights_[i];
    gain += weights_[i];
  }
  Fft(re_, im_);
  // Left went in as the real part, right as the imaginary: bin k of each is
  // taken from bins k and n - k of the one transform. A sine of amplitude A on
  // bin k gives |X[k]| = A gain / 2 there, and as much at -k.
  for (std::size_t k = 0; k < Bins(); ++k) {
    const std::size_t m = (n - k) % n;
    const double lRe = (re_[k] + re_[m]) / 2, lIm = (im_[k] - im_[m]) / 2;
    const double rRe = (im_[k] + im_[m]) / 2, rIm = (re_[m] - re_[k]) / 2;
    const double scale = (k == 0 || k == n / 2 ? 1.0 : 2.0) / (gain * FullScale);
    powerL_[k] = (lRe * lRe + lIm * lIm) * scale * scale;
    powerR_[k] = (rRe * rRe + rIm * rIm) * scale * scale;
  }
  done(powerL_, powerR_);
}

SpectrumPeak FindPeak(std::span<const double> power, WindowKind window, double binHz,
                      std::size_t fromBin) {
  if (power.size() < fromBin + 3) return {};
  const auto top = std::max_element(power.begin() + std::ptrdiff_t(fromBin), power.end());
  const auto k = std::size_t(top - power.begin());
  if (*top <= 0) return {};
  if (k + 1 >= power.size()) return {double(k) * binHz, *top};
  // The offset delta in [-0.5, 0.5] at which the window's response gives the
  // measured difference of the neighbours against the top: it grows with
  // delta, so halving the interval finds it.
  const double below = std::sqrt(power[k - 1]), middle = std::sqrt(*top),
               above = std::sqrt(power[k + 1]);
  const double measured = (above - below) / middle;
  const auto ratio = [window](double d) {
    return (WindowResponse(window, d - 1) - WindowResponse(window, d + 1)) /
           WindowResponse(window, d);
  };
  double lo = -0.5, hi = 0.5;
  for (int i = 0; i < 40; ++i) {
    const double mid = (lo + hi) / 2;
    (ratio(mid) < measured ? lo : hi) = mid;
  }
  const double delta = (lo + hi) / 2;
  const double response = WindowResponse(window, delta);
  return {(double(k) + delta) * binHz, *top / (response * response)};
}

} // namespace measure
