// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "generator/Random.h"
#include "generator/Synthesis.h"

namespace {

// The frequencies of the next Count buffers after the sweep was (re)started at From.
std::vector<double> Sweep(int32_t From, int32_t To, int32_t Inc, int Count) {
  GeneratorState State;
  State.SweepUp = true;
  State.SweepFreq = From;
  std::vector<double> Played;
  for (int i = 0; i < Count; ++i) {
    StepSweep(State, From, To, Inc);
    Played.push_back(State.SweepFreq);
  }
  return Played;
}

} // namespace

TEST(StepSweep, RisesOnTheStartGridAndFallsFromOneAboveTheTop) {
  EXPECT_EQ(Sweep(1000, 1040, 10, 10),
            (std::vector<double>{1010, 1020, 1030, 1040, 1031, 1021, 1011, 1001, 1000, 1010}));
}

TEST(StepSweep, StepOfOnePlaysBothEndsTwice) {
  const std::vector<double> Played = Sweep(1000, 1003, 1, 10);
  EXPECT_EQ(Played,
            (std::vector<double>{1001, 1002, 1003, 1003, 1002, 1001, 1000, 1000, 1001, 1002}));
}

TEST(StepSweep, StaysAtTheStartWhenTheRangeIsEmptyOrNarrowerThanTheStep) {
  EXPECT_EQ(Sweep(1000, 1000, 5, 4), std::vector<double>(4, 1000));
  EXPECT_EQ(Sweep(2000, 1000, 5, 4), std::vector<double>(4, 2000));
  EXPECT_EQ(Sweep(1000, 1004, 5, 4), std::vector<double>(4, 1000));
}

TEST(StepSweep, ReadsTheLimitsAfreshAtEveryStep) {
  GeneratorState State;
  State.SweepFreq = 1000;
  StepSweep(State, 1000, 5000, 100);
  EXPECT_EQ(State.SweepFreq, 1100);
  StepSweep(State, 1000, 1150, 100); // the top came down below the next step
  EXPECT_EQ(State.SweepFreq, 1051);
  EXPECT_FALSE(State.SweepUp);
}

TEST(StepSweep, NonPositiveStepPicksRandomWholeFrequencies) {
  RandSeed = 77;
  GeneratorState State;
  State.SweepFreq = 1000;
  double Lowest = 1e9;
  double Highest = -1;
  for (int i = 0; i < 5000; ++i) {
    StepSweep(State, 1000, 1040, i % 2 == 0 ? 0 : -3);
    ASSERT_EQ(State.SweepFreq, static_cast<double>(static_cast<int>(State.SweepFreq)));
    Lowest = std::min(Lowest, State.SweepFreq);
    Highest = std::max(Highest, State.SweepFreq);
  }
  EXPECT_GE(Lowest, 0);
  EXPECT_LE(Highest, 22048);
  // Spread over the whole range, not held to the sweep's limits.
  EXPECT_LT(Lowest, 100);
  EXPECT_GT(Highest, 21900);
}

TEST(FormatSweep, HasNoDecimalsAndAtLeastTwoCharacters) {
  EXPECT_EQ(FormatSweep(1010), "1010");
  EXPECT_EQ(FormatSweep(5), " 5");
  EXPECT_EQ(FormatSweep(0), " 0");
  EXPECT_EQ(FormatSweep(22048), "22048");
}
