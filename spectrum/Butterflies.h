// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The FFT's butterfly stages, written once for any number of lanes: each lane
// does the scalar arithmetic exactly, so every width gives the same bits. A
// translation unit instantiates them with the vector types its instruction set
// allows. Internal to the spectrum library.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "spectrum/Stages.h"

namespace {

// Two lanes: the compiler's generic vectors, which every processor runs (as
// two scalar operations where it has no such registers), and what every width
// uses for the spans too short for its own lanes.
typedef double Lanes2 __attribute__((vector_size(2 * sizeof(double))));

template <class V> constexpr std::size_t LanesOf = sizeof(V) / sizeof(double);

template <class V> V Get(const double* p) {
  V v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

template <class V> void Put(double* p, V v) {
  std::memcpy(p, &v, sizeof v);
}

// b is turned by the twiddle w; then a, b = a + wb, a - wb.
template <class V> void Butterfly(V& ar, V& ai, V& br, V& bi, V wr, V wi) {
  const V tr = wr * br - wi * bi;
  const V ti = wr * bi + wi * br;
  br = ar - tr;
  bi = ai - ti;
  ar = ar + tr;
  ai = ai + ti;
}

// The twiddles k, k + 1, ... for a vector of consecutive points, or the one
// twiddle k for every lane of a striped vector (see StripedSpectrum).
template <class V, bool Striped> V Twiddles(const double* w, std::size_t k) {
  if constexpr (Striped) {
    V v;
    for (std::size_t lane = 0; lane < LanesOf<V>; ++lane)
      v[lane] = w[k];
    return v;
  } else {
    return Get<V>(w + k);
  }
}

// The stage of span 2h alone over n points; h is a multiple of the lane count.
// Striped, a point is a whole vector (W doubles) and all its lanes share a twiddle.
template <class V, bool Striped = false>
void OneStage(double* re, double* im, const double* twRe, const double* twIm, std::size_t n,
              std::size_t h) {
  constexpr std::size_t W = LanesOf<V>;
  constexpr std::size_t Step = Striped ? 1 : W;
  constexpr std::size_t Size = Striped ? W : 1;
  const double* wr = twRe + h;
  const double* wi = twIm + h;
  for (std::size_t s = 0; s < n; s += 2 * h)
    for (std::size_t k = 0; k < h; k += Step) {
      const std::size_t a = Size * (s + k);
      const std::size_t b = a + Size * h;
      V ar = Get<V>(re + a), ai = Get<V>(im + a), br = Get<V>(re + b), bi = Get<V>(im + b);
      Butterfly(ar, ai, br, bi, Twiddles<V, Striped>(wr, k), Twiddles<V, Striped>(wi, k));
      Put(re + a, ar), Put(im + a, ai), Put(re + b, br), Put(im + b, bi);
    }
}

// The stages of spans 2h and 4h in one pass over the data: each quarter of a
// 4h-group is loaded once and goes through both stages' butterflies in
// registers. h is a multiple of the lane count; Striped as for OneStage.
template <class V, bool Striped = false>
void TwoStages(double* re, double* im, const double* twRe, const double* twIm, std::size_t n,
               std::size_t h) {
  constexpr std::size_t W = LanesOf<V>;
  constexpr std::size_t Step = Striped ? 1 : W;
  constexpr std::size_t Size = Striped ? W : 1;
  const double* w1r = twRe + h;
  const double* w1i = twIm + h;
  const double* w2r = twRe + 2 * h;
  const double* w2i = twIm + 2 * h;
  for (std::size_t s = 0; s < n; s += 4 * h)
    for (std::size_t k = 0; k < h; k += Step) {
      const std::size_t p0 = Size * (s + k), p1 = p0 + Size * h, p2 = p1 + Size * h,
                        p3 = p2 + Size * h;
      V r0 = Get<V>(re + p0), i0 = Get<V>(im + p0), r1 = Get<V>(re + p1), i1 = Get<V>(im + p1);
      V r2 = Get<V>(re + p2), i2 = Get<V>(im + p2), r3 = Get<V>(re + p3), i3 = Get<V>(im + p3);
      const V wr = Twiddles<V, Striped>(w1r, k), wi = Twiddles<V, Striped>(w1i, k);
      Butterfly(r0, i0, r1, i1, wr, wi);
      Butterfly(r2, i2, r3, i3, wr, wi);
      Butterfly(r0, i0, r2, i2, Twiddles<V, Striped>(w2r, k), Twiddles<V, Striped>(w2i, k));
      Butterfly(r1, i1, r3, i3, Twiddles<V, Striped>(w2r, k + h), Twiddles<V, Striped>(w2i, k + h));
      Put(re + p0, r0), Put(im + p0, i0), Put(re + p1, r1), Put(im + p1, i1);
      Put(re + p2, r2), Put(im + p2, i2), Put(re + p3, r3), Put(im + p3, i3);
    }
}

// Every stage from span 4 up, two per pass where it can; the spans shorter
// than the lanes of V run with two lanes.
template <class V>
void Stages(double* re, double* im, const double* twRe, const double* twIm, std::size_t n) {
  constexpr std::size_t W = LanesOf<V>;
  std::size_t h = 2;
  for (; 4 * h <= n; h *= 4) {
    if (h >= W)
      TwoStages<V>(re, im, twRe, twIm, n, h);
    else
      TwoStages<Lanes2>(re, im, twRe, twIm, n, h);
  }
  if (2 * h <= n) {
    if (h >= W)
      OneStage<V>(re, im, twRe, twIm, n, h);
    else
      OneStage<Lanes2>(re, im, twRe, twIm, n, h);
  }
}

// re[k] = |re[k] + i im[k]| for k < count, lanes at a time, then one by one;
// Sqrt takes the square root of every lane, correctly rounded. Gives the
// largest magnitude, or 0 for none (magnitudes are never NaN: the samples are
// integers).
template <class V, V (*Sqrt)(V)> double Moduli(double* re, const double* im, std::size_t count) {
  constexpr std::size_t W = LanesOf<V>;
  V largest{};
  std::size_t k = 0;
  for (; k + W <= count; k += W) {
    const V r = Get<V>(re + k), i = Get<V>(im + k);
    const V m = Sqrt(r * r + i * i);
    Put(re + k, m);
    largest = m > largest ? m : largest;
  }
  double maximum = 0.0;
  for (std::size_t lane = 0; lane < W; ++lane)
    maximum = largest[lane] > maximum ? largest[lane] : maximum;
  for (; k < count; ++k) {
    re[k] = __builtin_sqrt(re[k] * re[k] + im[k] * im[k]);
    maximum = re[k] > maximum ? re[k] : maximum;
  }
  return maximum;
}

// Lane l of the result is lane (l with its bits reversed) of v.
constexpr std::size_t ReversedLane(std::size_t lane, std::size_t lanes) {
  std::size_t r = 0;
  for (std::size_t bit = 1; bit < lanes; bit *= 2)
    r = 2 * r + ((lane & bit) != 0 ? 1 : 0);
  return r;
}

template <class V, std::size_t... L> V ReverseLanes(V v, std::index_sequence<L...>) {
  return __builtin_shufflevector(v, v, ReversedLane(L, sizeof...(L))...);
}

// Swaps the upper B-lane block of each 2B-lane block of a with the lower one of b.
template <std::size_t B, class V, std::size_t... J>
[[gnu::always_inline]] inline void SwapBlocks(V& a, V& b, std::index_sequence<J...>) {
  constexpr std::size_t W = sizeof...(J);
  const V low = __builtin_shufflevector(a, b, ((J & B) == 0 ? J : J - B + W)...);
  const V high = __builtin_shufflevector(a, b, ((J & B) == 0 ? J + B : J + W)...);
  a = low;
  b = high;
}

// rows[i][j] and rows[j][i] trade places: B-lane blocks first, then halves of them.
template <std::size_t B, class V> [[gnu::always_inline]] inline void Transpose(V* rows) {
  if constexpr (B > 0) {
#pragma GCC unroll 8
    for (std::size_t i = 0; i < LanesOf<V>; ++i)
      if ((i & B) == 0) SwapBlocks<B>(rows[i], rows[i + B], std::make_index_sequence<LanesOf<V>>{});
    Transpose<B / 2>(rows);
  }
}

// GCC keeps a vector size only on a typedef outside the function template.
template <std::size_t W> struct Integers {
  typedef int16_t Shorts __attribute__((vector_size(W * sizeof(int16_t))));
  typedef int32_t Ints __attribute__((vector_size(W * sizeof(int32_t))));
};

// W samples from p, as doubles.
template <class V> V Samples(const int16_t* p) {
  typename Integers<LanesOf<V>>::Shorts s;
  std::memcpy(&s, p, sizeof s);
  return __builtin_convertvector(__builtin_convertvector(s, typename Integers<LanesOf<V>>::Ints),
                                 V);
}

// The whole transform in striped order: vector q of the work arrays (at W q)
// holds in lane l the point at position q + l Q, Q = n / W. The block's samples
// for vector q then lie side by side (W reverse(q) on, lanes in bit-reversed
// order), and every stage up to span Q pairs whole vectors with one twiddle for
// all lanes. The load runs the stages of spans 2, 4 and 8 on eight vectors at
// a time; the span-2 twiddle is exactly (1, 0), so those butterflies reduce to a
// sum and a difference: the same numbers, at most a different sign on a zero,
// which no magnitude shows.
template <class V, bool BothParts> void LoadStriped(const SpectrumJob& job, std::size_t shift) {
  constexpr std::size_t W = LanesOf<V>;
  const std::size_t points = job.n / W;
  for (std::size_t t = 0; t < points; t += 8) {
    V r[8], i[8];
#pragma GCC unroll 8
    for (std::size_t j = 0; j < 8; ++j) {
      const std::size_t base = W * (job.reversed[t + j] >> shift);
      r[j] = ReverseLanes(Samples<V>(job.samples + base) * Get<V>(job.factors + base),
                          std::make_index_sequence<W>{});
    }
#pragma GCC unroll 8
    for (std::size_t j = 0; j < 8; j += 2) {
      const V a = r[j], b = r[j + 1];
      r[j] = a + b;
      r[j + 1] = a - b;
    }
#pragma GCC unroll 8
    for (std::size_t j = 0; j < 8; ++j)
      i[j] = BothParts ? r[j] : V{};
#pragma GCC unroll 8
    for (std::size_t j = 0; j < 6; ++j)
      if ((j & 2) == 0)
        Butterfly(r[j], i[j], r[j + 2], i[j + 2], Twiddles<V, true>(job.twRe, 2 + j % 2),
                  Twiddles<V, true>(job.twIm, 2 + j % 2));
#pragma GCC unroll 8
    for (std::size_t j = 0; j < 4; ++j)
      Butterfly(r[j], i[j], r[j + 4], i[j + 4], Twiddles<V, true>(job.twRe, 4 + j),
                Twiddles<V, true>(job.twIm, 4 + j));
#pragma GCC unroll 8
    for (std::size_t j = 0; j < 8; ++j)
      Put(job.re + W * (t + j), r[j]), Put(job.im + W * (t + j), i[j]);
  }
}

// The last log2 W stages, which pair lanes: W vectors at a time are transposed,
// so that each holds W consecutive points, and the stages run on them with
// consecutive twiddles; then the magnitudes of bins 0..n/2, written in order.
template <class V, V (*Sqrt)(V)> double UnstripeModuli(const SpectrumJob& job) {
  constexpr std::size_t W = LanesOf<V>;
  const std::size_t points = job.n / W;
  V largest{};
  double middle = 0.0;
  for (std::size_t q = 0; q < points; q += W) {
    V r[W], i[W];
#pragma GCC unroll 8
    for (std::size_t l = 0; l < W; ++l)
      r[l] = Get<V>(job.re + W * (q + l)), i[l] = Get<V>(job.im + W * (q + l));
    Transpose<W / 2>(r);
    Transpose<W / 2>(i);
#pragma GCC unroll 8
    for (std::size_t s = 1; s < W; s *= 2)
#pragma GCC unroll 8
      for (std::size_t l = 0; l < W; ++l)
        if ((l & s) == 0) {
          const std::size_t k = points * s + q + points * (l % s);
          Butterfly(r[l], i[l], r[l + s], i[l + s], Get<V>(job.twRe + k), Get<V>(job.twIm + k));
        }
#pragma GCC unroll 8
    for (std::size_t l = 0; l < W / 2; ++l) {
      const V m = Sqrt(r[l] * r[l] + i[l] * i[l]);
      Put(job.magnitudes + q + points * l, m);
      largest = m > largest ? m : largest;
    }
    if (q == 0) {
      const double re = r[W / 2][0], im = i[W / 2][0];
      middle = __builtin_sqrt(re * re + im * im);
    }
  }
  job.magnitudes[job.n / 2] = middle;
  double maximum = middle;
  for (std::size_t lane = 0; lane < W; ++lane)
    maximum = largest[lane] > maximum ? largest[lane] : maximum;
  return maximum;
}

template <class V, V (*Sqrt)(V)> double StripedSpectrum(const SpectrumJob& job) {
  constexpr std::size_t W = LanesOf<V>;
  const std::size_t points = job.n / W;
  // reverse(q) over log2 Q bits from the table's reversal over more bits.
  const auto shift = static_cast<std::size_t>(job.reversedBits - std::countr_zero(points));
  if (job.bothParts)
    LoadStriped<V, true>(job, shift);
  else
    LoadStriped<V, false>(job, shift);
  std::size_t h = 8;
  for (; 4 * h <= points; h *= 4)
    TwoStages<V, true>(job.re, job.im, job.twRe, job.twIm, points, h);
  if (2 * h <= points) OneStage<V, true>(job.re, job.im, job.twRe, job.twIm, points, h);
  return UnstripeModuli<V, Sqrt>(job);
}

// values[k] = f(values[k]) * s.by, then times or divided by s.then, for k < count:
// lanes at a time, then one by one; f is the square root with s.root, else none.
template <class V, V (*Sqrt)(V), bool Root, bool Divide>
void ScaleBy(double* values, std::size_t count, const Scaling& s) {
  constexpr std::size_t W = LanesOf<V>;
  std::size_t k = 0;
  for (; k + W <= count; k += W) {
    V v = Get<V>(values + k);
    if constexpr (Root) v = Sqrt(v);
    v = v * s.by;
    Put(values + k, Divide ? v / s.then : v * s.then);
  }
  for (; k < count; ++k) {
    double v = Root ? __builtin_sqrt(values[k]) : values[k];
    v = v * s.by;
    values[k] = Divide ? v / s.then : v * s.then;
  }
}

template <class V, V (*Sqrt)(V)>
void ScaleValues(double* values, std::size_t count, const Scaling& s) {
  if (s.root)
    (s.divide ? ScaleBy<V, Sqrt, true, true> : ScaleBy<V, Sqrt, true, false>)(values, count, s);
  else
    (s.divide ? ScaleBy<V, Sqrt, false, true> : ScaleBy<V, Sqrt, false, false>)(values, count, s);
}

} // namespace
