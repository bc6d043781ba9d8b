// SPDX-License-Identifier: GPL-3.0-or-later
#include <ctime>

#include <gtest/gtest.h>

#include "generator/Random.h"

namespace {

uint64_t MonotonicNanoseconds() {
  timespec Now{};
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return static_cast<uint64_t>(Now.tv_sec) * 1000000000u + static_cast<uint64_t>(Now.tv_nsec);
}

} // namespace

// Worked by hand: seed 0 -> 0 * 134775813 + 1 = 1, and 1 * 100 / 2^32 < 1 gives 0.
// Seed 1 -> 134775814; 134775814 * 100 = 13477581400 and / 2^32 = 3.14 gives 3.
// Seed 134775814 -> (134775814 * 134775813 + 1) mod 2^32 = 3698175007;
// 369817500700 / 2^32 = 86.1 gives 86.
TEST(Random, FollowsTheLinearCongruentialSequence) {
  RandSeed = 0;
  EXPECT_EQ(Random(100), 0u);
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(Random(100), 3u);
  EXPECT_EQ(RandSeed, 134775814u);
  EXPECT_EQ(Random(100), 86u);
  EXPECT_EQ(RandSeed, 3698175007u);
}

// Seed 2^32 - 1 -> (-134775813 + 1) mod 2^32 = 4160191484; * 1000 / 2^32 = 968.6.
// Seed 870078620 -> (870078620 * 134775813 + 1) mod 2^32 = 1172187917 (worked in
// 64-bit integers), and 1172187917 * 0x3FFFFFFF / 2^32 = 293046978.98.
TEST(Random, WrapsTheSeedModulo2To32AndUsesTheHighWordOfTheProduct) {
  RandSeed = 0xFFFFFFFFu;
  EXPECT_EQ(Random(1000), 968u);
  EXPECT_EQ(RandSeed, 4160191484u);
  RandSeed = 870078620u;
  EXPECT_EQ(Random(0x3FFFFFFF), 293046978u);
}

TEST(Random, StaysBelowTheBound) {
  RandSeed = 12345;
  for (int i = 0; i < 10000; ++i)
    ASSERT_LT(Random(7), 7u);
  EXPECT_EQ(Random(0), 0u);
  EXPECT_EQ(Random(1), 0u);
}

TEST(Random, RandomizeTakesTheLowWordOfTheMonotonicClock) {
  const uint64_t Before = MonotonicNanoseconds();
  Randomize();
  const uint64_t After = MonotonicNanoseconds();
  const uint32_t SinceBefore = RandSeed - static_cast<uint32_t>(Before);
  EXPECT_LE(SinceBefore, After - Before);
}
