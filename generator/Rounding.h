// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rounding to the nearest integer with ties to the even neighbour, made
// explicitly so that it does not depend on the floating-point environment.

#include <cmath>

template <typename Real> Real RoundHalfEven(Real X) {
  Real Below = std::floor(X);
  const Real Fraction = X - Below;
  if (Fraction > Real(0.5) || (Fraction == Real(0.5) && std::fmod(Below, Real(2)) != 0)) Below += 1;
  return Below;
}
