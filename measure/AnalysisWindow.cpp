// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/AnalysisWindow.h"

#include <cmath>
#include <numbers>
#include <span>

namespace measure {

namespace {

// A sum of cosines w(x) = sum c_m cos(2 pi m x), x in [-0.5, 0.5).
struct CosineSum {
  double C[5];
};

// The spectrum library's coefficients; the flat-top is the five-term window
// whose response varies by less than 0.01 dB across a bin.
constexpr CosineSum RectangularTerms{{1, 0, 0, 0, 0}};
constexpr CosineSum HannTerms{{0.5, 0.5, 0, 0, 0}};
constexpr CosineSum HammingTerms{{0.54, 0.46, 0, 0, 0}};
constexpr CosineSum BlackmanNuttallTerms{{0.3635819, 0.4891775, 0.1365995, 0.0106411, 0}};
constexpr CosineSum FlatTopTerms{{0.21557895, 0.41663158, 0.277263158, 0.083578947, 0.006947368}};

const CosineSum* TermsOf(WindowKind kind) {
  switch (kind) {
  case WindowKind::Rectangular:
    return &RectangularTerms;
  case WindowKind::Hann:
    return &HannTerms;
  case WindowKind::Hamming:
    return &HammingTerms;
  case WindowKind::BlackmanNuttall:
    return &BlackmanNuttallTerms;
  case WindowKind::FlatTop:
    return &FlatTopTerms;
  case WindowKind::Triangular:
    break;
  }
  return nullptr;
}

// sin(pi x) / (pi x), 1 at 0.
double Sinc(double x) {
  return std::fabs(x) < 1e-12 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

} // namespace

const char* WindowName(WindowKind kind) {
  static const char* const names[] = {"Rectangular", "Triangular",       "Hann",
                                      "Hamming",     "Blackman-Nuttall", "Flat-top"};
  return names[static_cast<int>(kind)];
}

std::vector<double> WindowWeights(WindowKind kind, std::size_t n) {
  std::vector<double> w(n);
  const CosineSum* terms = TermsOf(kind);
  for (std::size_t i = 0; i < n; ++i) {
    const double x = double(i) / double(n) - 0.5;
    if (terms == nullptr) {
      w[i] = 1.0 - 2.0 * std::fabs(x);
      continue;
    }
    double sum = 0;
    for (int m = 0; m < 5; ++m)
      sum += terms->C[m] * std::cos(2 * std::numbers::pi * m * x);
    w[i] = sum;
  }
  return w;
}

double WindowResponse(WindowKind kind, double delta) {
  const CosineSum* terms = TermsOf(kind);
  // The triangle is a rectangle of half the length convolved with itself.
  if (terms == nullptr) return Sinc(delta / 2) * Sinc(delta / 2);
  // Each cosine shifts the rectangle's sinc m bins either way; in the
  // periodic form the m-th term's sign alternates, and so does the sinc's
  // between neighbouring bins, so the shifted sincs add.
  double sum = terms->C[0] * Sinc(delta);
  for (int m = 1; m < 5; ++m)
    sum += terms->C[m] / 2 * (Sinc(delta - m) + Sinc(delta + m));
  return std::fabs(sum) / terms->C[0];
}

} // namespace measure
