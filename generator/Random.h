// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A linear congruential random generator: one sequence, shared by the noise
// source and the random sweep. GUI thread only.

#include <cstdint>

// The generator's state; Randomize sets it once at start, tests may set it.
extern uint32_t RandSeed;

// A uniform integer 0 <= r < N (0 when N is 0). Advances RandSeed to
// RandSeed * 134775813 + 1 (mod 2^32) and returns the high 32 bits of the
// 64-bit product RandSeed * N.
uint32_t Random(uint32_t N);

// Random's step on a seed of the caller's, which a loop keeps in a register.
inline uint32_t RandomStep(uint32_t& Seed, uint32_t N) {
  Seed = Seed * 134775813u + 1u;
  return static_cast<uint32_t>((static_cast<uint64_t>(Seed) * N) >> 32);
}

// Seeds RandSeed from the clock: the low 32 bits of the monotonic clock in
// nanoseconds, or of a millisecond tick count when that clock is unavailable.
void Randomize();
