// SPDX-License-Identifier: GPL-3.0-or-later
#include <cmath>
#include <numbers>

#include "GeneratorFixture.h"
#include "generator/Rounding.h"

TEST(GenAmplitude, EqualsTheIntegerScaleForEveryLevel) {
  for (int32_t Level = 0; Level <= 100; ++Level) {
    SCOPED_TRACE(Level);
    EXPECT_EQ(GenAmplitude({true, Level, true, true}), Level * 32767 / 100);
    EXPECT_EQ(GenAmplitude({false, Level, true, true}), 0);
  }
  EXPECT_EQ(GenAmplitude({true, 100, false, false}), 32767);
  EXPECT_EQ(GenAmplitude({true, 1, false, false}), 327);
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbour) {
  EXPECT_EQ(RoundHalfEven(2.5), 2.0);
  EXPECT_EQ(RoundHalfEven(3.5), 4.0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2.0);
  EXPECT_EQ(RoundHalfEven(-3.5), -4.0);
  EXPECT_EQ(RoundHalfEven(2.4999L), 2.0L);
  EXPECT_EQ(RoundHalfEven(-0.5000001L), -1.0L);
}

TEST(PhaseIncrement, IsTheRoundedQuarterTurnFraction) {
  EXPECT_EQ(PhaseIncrement(1000.0), 11184811u); // 11184810.67
  EXPECT_EQ(PhaseIncrement(24000.0), 1u << 28);
  EXPECT_EQ(PhaseIncrement(0.0), 0u);
  EXPECT_EQ(PhaseIncrement(48000.0), 1u << 29);
  // Frequencies of (2k + 1) x 375 x 2^-23 Hz land exactly on k + 0.5 steps.
  const double HalfStep = std::ldexp(375.0, -23);
  EXPECT_EQ(PhaseIncrement(HalfStep), 0u);
  EXPECT_EQ(PhaseIncrement(3 * HalfStep), 2u);
  EXPECT_EQ(PhaseIncrement(5 * HalfStep), 2u);
  // A negative frequency runs the phase backwards.
  EXPECT_EQ(PhaseIncrement(-1000.0), 0u - 11184811u);
}

TEST_F(GeneratorTest, TableAtHalfLevelHoldsTheRoundedSine) {
  Sources[0] = {true, 50, true, false};
  ASSERT_TRUE(BuildTables(State, Sources).has_value());
  const int16_t* Table = State.GenTable[0];
  EXPECT_EQ(Table[0], 0);
  EXPECT_EQ(Table[1], 3);
  EXPECT_EQ(Table[4096], 11585);
  EXPECT_EQ(Table[8192], 16383);
  EXPECT_EQ(Table[16384], 0);
  EXPECT_EQ(Table[24576], -16383);
  EXPECT_EQ(Table[32767], -3);
  for (int i = 0; i < GenTableSize; ++i) {
    const double Expected = 16383 * std::sin(i * 2 * std::numbers::pi / GenTableSize);
    ASSERT_LE(std::abs(Table[i] - Expected), 0.5 + 1e-6) << i;
  }
}

TEST_F(GeneratorTest, EachSourceGetsItsOwnAmplitudeAndAnOffSourceAFlatTable) {
  Sources[0] = {true, 100, true, true};
  Sources[1] = {true, 1, true, true};
  Sources[2] = {true, 80, true, true};
  Sources[3] = {true, 20, false, false};
  BuildTables(State, Sources);
  EXPECT_EQ(State.GenTable[2][8192], 26213);

  Sources[2].On = false;
  State.TablesValid = false;
  BuildTables(State, Sources);
  EXPECT_EQ(State.GenTable[0][8192], 32767);
  EXPECT_EQ(State.GenTable[0][24576], -32767);
  EXPECT_EQ(State.GenTable[1][8192], 327);
  EXPECT_EQ(State.GenTable[3][8192], 6553);
  for (int i = 0; i < GenTableSize; ++i)
    ASSERT_EQ(State.GenTable[2][i], 0) << i;
}

TEST_F(GeneratorTest, BuildTablesWorksOnlyWhenTheTablesAreInvalid) {
  Sources[0] = {true, 50, true, true};
  EXPECT_EQ(BuildTables(State, Sources), GenOverflow::None);
  EXPECT_TRUE(State.TablesValid);

  Sources[0].Level = 100;
  EXPECT_EQ(BuildTables(State, Sources), std::nullopt);
  EXPECT_EQ(State.GenTable[0][8192], 16383);

  State.TablesValid = false;
  EXPECT_EQ(BuildTables(State, Sources), GenOverflow::None);
  EXPECT_EQ(State.GenTable[0][8192], 32767);
}

TEST_F(GeneratorTest, OverflowCountsTheLevelsRoutedToEachChannel) {
  auto Decide = [this] {
    State.TablesValid = false;
    return BuildTables(State, Sources);
  };
  Sources[0] = {true, 50, true, false};
  Sources[1] = {true, 50, true, false};
  EXPECT_EQ(Decide(), GenOverflow::None); // 16383 + 16383 = 32766

  Sources[0].Level = 51;
  EXPECT_EQ(Decide(), GenOverflow::Overflow); // 16711 + 16383 = 33094

  Sources[0] = {true, 51, false, true};
  EXPECT_EQ(Decide(), GenOverflow::None);
  Sources[1] = {true, 50, false, true};
  EXPECT_EQ(Decide(), GenOverflow::Overflow); // on the right channel as well

  // Checked but routed nowhere, or routed but switched off: does not count.
  Sources[0] = {true, 100, false, false};
  Sources[1] = {true, 100, false, false};
  Sources[2] = {false, 100, true, true};
  Sources[3] = {true, 100, true, true};
  EXPECT_EQ(Decide(), GenOverflow::None);

  Sources = {GenSource{true, 100, true, false}, GenSource{true, 100, true, false},
             GenSource{true, 100, true, false}, GenSource{true, 100, true, false}};
  EXPECT_EQ(Decide(), GenOverflow::Overflow);
}
