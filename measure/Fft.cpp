// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/Fft.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace measure {

namespace {

// Two values at once, in the compiler's portable vector type: an SSE2
// register on x86-64, a NEON register on ARM, no processor check needed.
constexpr std::size_t LaneCount = 2;
using Lanes = double __attribute__((vector_size(LaneCount * sizeof(double))));

Lanes Load(const double* p) {
  Lanes v;
  std::memcpy(&v, p, sizeof v);
  return v;
}
void Store(double* p, Lanes v) {
  std::memcpy(p, &v, sizeof v);
}

// The twiddles e^(-pi i j / h) of the stage of half-span h at [h, 2h).
struct Twiddles {
  std::vector<double> Re, Im;
};

const Twiddles& TwiddlesFor(std::size_t n) {
  thread_local std::array<Twiddles, 64> tables;
  Twiddles& t = tables[std::size_t(std::countr_zero(n))];
  if (t.Re.size() != n) {
    t.Re.assign(n, 0.0);
    t.Im.assign(n, 0.0);
    for (std::size_t h = 1; h < n; h *= 2)
      for (std::size_t j = 0; j < h; ++j) {
        const double angle = -std::numbers::pi * double(j) / double(h);
        t.Re[h + j] = std::cos(angle);
        t.Im[h + j] = std::sin(angle);
      }
  }
  return t;
}

// Complex values held as real and imaginary parts, one value or LaneCount.
template <typename T> struct Cx {
  T Re, Im;
  Cx operator+(Cx o) const { return {Re + o.Re, Im + o.Im}; }
  Cx operator-(Cx o) const { return {Re - o.Re, Im - o.Im}; }
  template <typename W> Cx operator*(Cx<W> w) const {
    return {Re * w.Re - Im * w.Im, Re * w.Im + Im * w.Re};
  }
  Cx MinusI() const { return {Im, -Re}; } // times -i
};

// One radix-4 butterfly of Stockham's transform; w holds e^(-2 pi i p / length)
// to the powers 1, 2 and 3.
template <typename T, typename W>
void Radix4(Cx<T> a, Cx<T> b, Cx<T> c, Cx<T> d, const Cx<W> (&w)[3], Cx<T> (&y)[4]) {
  const Cx<T> apc = a + c, amc = a - c, bpd = b + d, mibmd = (b - d).MinusI();
  y[0] = apc + bpd;
  y[1] = (amc + mibmd) * w[0];
  y[2] = (apc - bpd) * w[1];
  y[3] = (amc - mibmd) * w[2];
}

template <typename W> void Powers(Cx<W> (&w)[3]) {
  w[1] = w[0] * w[0];
  w[2] = w[1] * w[0];
}

// Stockham's self-sorting transform by decimation in frequency, radix 4 (and
// one radix-2 stage at the end when log2 n is odd): every stage reads one
// array from start to end and writes the other, with no bit-reversed
// reordering, whose scattered swaps cost as much as the stages.
void Forward(double* re, double* im, std::size_t n) {
  const Twiddles& t = TwiddlesFor(n);
  thread_local std::vector<double> scratchRe, scratchIm;
  scratchRe.resize(n);
  scratchIm.resize(n);
  double *xr = re, *xi = im, *yr = scratchRe.data(), *yi = scratchIm.data();
  std::size_t length = n, s = 1;
  for (; length >= 4; length /= 4, s *= 4) {
    const std::size_t m = length / 4;
    // Held in locals: the stores below could otherwise alias the tables' pointers.
    const double* const wr = t.Re.data() + length / 2;
    const double* const wi = t.Im.data() + length / 2;
    // The first stage: LaneCount values of p at once, their outputs four apart.
    for (std::size_t p = 0; s == 1 && m >= LaneCount && p < m; p += LaneCount) {
      Cx<Lanes> w[3] = {{Load(wr + p), Load(wi + p)}, {}, {}};
      Powers(w);
      const auto x = [&](std::size_t k) {
        return Cx<Lanes>{Load(xr + p + k * m), Load(xi + p + k * m)};
      };
      Cx<Lanes> y[4];
      Radix4(x(0), x(1), x(2), x(3), w, y);
      for (std::size_t k = 0; k < 4; ++k)
        for (std::size_t lane = 0; lane < LaneCount; ++lane)
          yr[4 * (p + lane) + k] = y[k].Re[lane], yi[4 * (p + lane) + k] = y[k].Im[lane];
    }
    for (std::size_t p = 0; (s > 1 || m < LaneCount) && p < m; ++p) {
      Cx<double> w[3] = {{wr[p], wi[p]}, {}, {}};
      Powers(w);
      const auto in = [&](std::size_t k, std::size_t q) { return s * (p + k * m) + q; };
      const auto out = [&](std::size_t k, std::size_t q) { return s * (4 * p + k) + q; };
      if (s == 1) {
        Cx<double> y[4];
        const auto x = [&](std::size_t k) { return Cx<double>{xr[in(k, 0)], xi[in(k, 0)]}; };
        Radix4(x(0), x(1), x(2), x(3), w, y);
        for (std::size_t k = 0; k < 4; ++k)
          yr[out(k, 0)] = y[k].Re, yi[out(k, 0)] = y[k].Im;
        continue;
      }
      for (std::size_t q = 0; q < s; q += LaneCount) {
        Cx<Lanes> y[4];
        const auto x = [&](std::size_t k) {
          return Cx<Lanes>{Load(xr + in(k, q)), Load(xi + in(k, q))};
        };
        Radix4(x(0), x(1), x(2), x(3), w, y);
        for (std::size_t k = 0; k < 4; ++k)
          Store(yr + out(k, q), y[k].Re), Store(yi + out(k, q), y[k].Im);
      }
    }
    std::swap(xr, yr);
    std::swap(xi, yi);
  }
  if (length == 2) {
    for (std::size_t q = 0; q < s; ++q) {
      const double ar = xr[q], ai = xi[q], br = xr[q + s], bi = xi[q + s];
      yr[q] = ar + br, yi[q] = ai + bi;
      yr[q + s] = ar - br, yi[q + s] = ai - bi;
    }
    std::swap(xr, yr);
    std::swap(xi, yi);
  }
  if (xr != re) {
    std::memcpy(re, xr, n * sizeof *re);
    std::memcpy(im, xi, n * sizeof *im);
  }
}

// e^(-2 pi i m / n) for m < 2n / 3: what the split of a size 3 * 2^k into
// three takes.
const Twiddles& SplitTwiddlesFor(std::size_t n) {
  thread_local std::array<Twiddles, 64> tables;
  Twiddles& t = tables[std::size_t(std::countr_zero(n))];
  if (t.Re.size() != 2 * n / 3) {
    t.Re.resize(2 * n / 3);
    t.Im.resize(2 * n / 3);
    for (std::size_t m = 0; m < t.Re.size(); ++m) {
      const double angle = -2.0 * std::numbers::pi * double(m) / double(n);
      t.Re[m] = std::cos(angle);
      t.Im[m] = std::sin(angle);
    }
  }
  return t;
}

// One radix-3 step by decimation in frequency: x[m], x[m + M], x[m + 2M]
// become the inputs of the three transforms of size M = n / 3 that give the
// bins 3q, 3q + 1 and 3q + 2.
void SplitInThree(double* re, double* im, std::size_t n) {
  const Twiddles& t = SplitTwiddlesFor(n);
  const std::size_t m3 = n / 3;
  const Lanes half = {0.5, 0.5}, sine = {0.8660254037844386, 0.8660254037844386}; // sqrt(3)/2
  for (std::size_t m = 0; m < m3; m += LaneCount) {
    const Lanes ar = Load(re + m), ai = Load(im + m);
    const Lanes br = Load(re + m + m3), bi = Load(im + m + m3);
    const Lanes cr = Load(re + m + 2 * m3), ci = Load(im + m + 2 * m3);
    const Lanes tr = br + cr, ti = bi + ci, ur = sine * (br - cr), ui = sine * (bi - ci);
    Store(re + m, ar + tr), Store(im + m, ai + ti);
    const Lanes mr = ar - half * tr, mi = ai - half * ti;
    // (m - i u) and (m + i u), then times e^(-2 pi i m / n) and its square.
    const Lanes y1r = mr + ui, y1i = mi - ur, y2r = mr - ui, y2i = mi + ur;
    Lanes wr, wi;
    std::memcpy(&wr, &t.Re[m], sizeof wr);
    std::memcpy(&wi, &t.Im[m], sizeof wi);
    Store(re + m + m3, y1r * wr - y1i * wi), Store(im + m + m3, y1r * wi + y1i * wr);
    wr = Lanes{t.Re[2 * m], t.Re[2 * m + 2]}, wi = Lanes{t.Im[2 * m], t.Im[2 * m + 2]};
    Store(re + m + 2 * m3, y2r * wr - y2i * wi), Store(im + m + 2 * m3, y2r * wi + y2i * wr);
  }
}

} // namespace

std::size_t FftSize(std::size_t n) {
  std::size_t power = 4;
  while (power < n)
    power *= 2;
  const std::size_t three = power / 4 * 3;
  return power >= 8 && three >= n ? three : power;
}

void Fft(std::span<double> re, std::span<double> im, bool inverse) {
  // The inverse is the conjugate of the forward transform of the conjugate.
  if (inverse)
    for (double& v : im)
      v = -v;
  const std::size_t n = re.size();
  if ((n & (n - 1)) == 0) {
    Forward(re.data(), im.data(), n);
  } else {
    SplitInThree(re.data(), im.data(), n);
    for (std::size_t part = 0; part < 3; ++part)
      Forward(re.data() + part * n / 3, im.data() + part * n / 3, n / 3);
  }
  if (inverse)
    for (double& v : im)
      v = -v;
}

} // namespace measure
