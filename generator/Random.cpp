// SPDX-License-Identifier: GPL-3.0-or-later
#include "generator/Random.h"

#include <chrono>
#include <ctime>

uint32_t RandSeed = 0;

uint32_t Random(uint32_t N) {
  return RandomStep(RandSeed, N);
}

void Randomize() {
  timespec Now{};
  if (clock_gettime(CLOCK_MONOTONIC, &Now) == 0) {
    const uint64_t Nanoseconds =
        static_cast<uint64_t>(Now.tv_sec) * 1000000000u + static_cast<uint64_t>(Now.tv_nsec);
    RandSeed = static_cast<uint32_t>(Nanoseconds);
    return;
  }
  const auto Ticks = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  RandSeed = static_cast<uint32_t>(Ticks.count());
}
