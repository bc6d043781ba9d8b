// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/AWeighting.h"

#include <cmath>

namespace measure {

namespace {

// The standard's pole frequencies, in Hz, to the precision it gives them.
constexpr double F1 = 20.598997, F2 = 107.65265, F3 = 737.86223, F4 = 12194.217;

double Unnormalised(double hz) {
  const double f2 = hz * hz;
  return F4 * F4 * f2 * f2 /
         ((f2 + F1 * F1) * std::sqrt((f2 + F2 * F2) * (f2 + F3 * F3)) * (f2 + F4 * F4));
}

} // namespace

double AWeightingGain(double hz) {
  static const double atOneKilohertz = Unnormalised(1000.0);
  return Unnormalised(hz) / atOneKilohertz;
}

double AWeightingDb(double hz) {
  return 20.0 * std::log10(AWeightingGain(hz));
}

} // namespace measure
