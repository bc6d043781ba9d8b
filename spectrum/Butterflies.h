#pragma once
// The FFT's butterfly stages, written once for any number of lanes: each lane
// does the scalar arithmetic exactly, so every width gives the same bits. A
// translation unit instantiates them with the vector types its instruction set
// allows. Internal to the spectrum library.

#include <cstddef>
#include <cstring>

namespace {

// Two lanes: the compiler's generic vectors, which every processor runs (as
// two scalar operations where it has no such registers), and what every width
// uses for the spans too short for its own lanes.
typedef double Lanes2 __attribute__((vector_size(2 * sizeof(double))));

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

// The stage of span 2h alone; h is a multiple of the lane count.
template <class V>
void OneStage(double* re, double* im, const double* twRe, const double* twIm, std::size_t n,
              std::size_t h) {
  constexpr std::size_t W = sizeof(V) / sizeof(double);
  const double* wr = twRe + h;
  const double* wi = twIm + h;
  for (std::size_t s = 0; s < n; s += 2 * h)
    for (std::size_t k = 0; k < h; k += W) {
      const std::size_t a = s + k;
      const std::size_t b = a + h;
      V ar = Get<V>(re + a), ai = Get<V>(im + a), br = Get<V>(re + b), bi = Get<V>(im + b);
      Butterfly(ar, ai, br, bi, Get<V>(wr + k), Get<V>(wi + k));
      Put(re + a, ar), Put(im + a, ai), Put(re + b, br), Put(im + b, bi);
    }
}

// The stages of spans 2h and 4h in one pass over the data: each quarter of a
// 4h-group is loaded once and goes through both stages' butterflies in
// registers. h is a multiple of the lane count.
template <class V>
void TwoStages(double* re, double* im, const double* twRe, const double* twIm, std::size_t n,
               std::size_t h) {
  constexpr std::size_t W = sizeof(V) / sizeof(double);
  const double* w1r = twRe + h;
  const double* w1i = twIm + h;
  const double* w2r = twRe + 2 * h;
  const double* w2i = twIm + 2 * h;
  for (std::size_t s = 0; s < n; s += 4 * h)
    for (std::size_t k = 0; k < h; k += W) {
      const std::size_t p0 = s + k, p1 = p0 + h, p2 = p1 + h, p3 = p2 + h;
      V r0 = Get<V>(re + p0), i0 = Get<V>(im + p0), r1 = Get<V>(re + p1), i1 = Get<V>(im + p1);
      V r2 = Get<V>(re + p2), i2 = Get<V>(im + p2), r3 = Get<V>(re + p3), i3 = Get<V>(im + p3);
      const V wr = Get<V>(w1r + k), wi = Get<V>(w1i + k);
      Butterfly(r0, i0, r1, i1, wr, wi);
      Butterfly(r2, i2, r3, i3, wr, wi);
      Butterfly(r0, i0, r2, i2, Get<V>(w2r + k), Get<V>(w2i + k));
      Butterfly(r1, i1, r3, i3, Get<V>(w2r + k + h), Get<V>(w2i + k + h));
      Put(re + p0, r0), Put(im + p0, i0), Put(re + p1, r1), Put(im + p1, i1);
      Put(re + p2, r2), Put(im + p2, i2), Put(re + p3, r3), Put(im + p3, i3);
    }
}

// Every stage from span 4 up, two per pass where it can; the spans shorter
// than the lanes of V run with two lanes.
template <class V>
void Stages(double* re, double* im, const double* twRe, const double* twIm, std::size_t n) {
  constexpr std::size_t W = sizeof(V) / sizeof(double);
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
  constexpr std::size_t W = sizeof(V) / sizeof(double);
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

} // namespace
