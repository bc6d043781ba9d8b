// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

#include "GeneratorFixture.h"
#include "generator/Random.h"

namespace {

constexpr int Frames = OutBlockSamples / 2;
constexpr int16_t Sentinel = 0x5A5A;
constexpr int Guard = 16;

// An output buffer with sentinel values past its end.
struct OutBlock {
  std::vector<int16_t> Samples = std::vector<int16_t>(OutBlockSamples + Guard, Sentinel);
  int16_t Left(int Frame) const { return Samples[2 * Frame]; }
  int16_t Right(int Frame) const { return Samples[2 * Frame + 1]; }
  bool GuardIntact() const {
    return std::all_of(Samples.begin() + OutBlockSamples, Samples.end(),
                       [](int16_t S) { return S == Sentinel; });
  }
};

int PeakOf(const OutBlock& Block, bool RightChannel) {
  int Peak = 0;
  for (int k = 0; k < Frames; ++k)
    Peak = std::max(Peak, std::abs(RightChannel ? Block.Right(k) : Block.Left(k)));
  return Peak;
}

} // namespace

class MixTest : public GeneratorTest {
protected:
  OutBlock Make() {
    OutBlock Block;
    Synthesize(State, Sources, Block.Samples.data());
    EXPECT_TRUE(Block.GuardIntact());
    return Block;
  }
};

TEST_F(MixTest, SilenceWhenNoSourceIsOnOrRouted) {
  Sources[0] = {true, 100, false, false};
  Sources[1] = {false, 100, true, true};
  BuildTables(State, Sources);
  State.GenFreq = {1000, 2000, 0, 3000};
  const OutBlock Block = Make();
  EXPECT_TRUE(std::all_of(Block.Samples.begin(), Block.Samples.begin() + OutBlockSamples,
                          [](int16_t S) { return S == 0; }));
}

TEST_F(MixTest, OverloadedSumsStayAtTheRails) {
  // 0 Hz keeps every phase still at a quarter turn, the tables' peak.
  State.GenPhase = {1u << 28, 1u << 28, 1u << 28, 1u << 28};
  for (GenSource& Source : Sources)
    Source = {true, 100, true, false};
  EXPECT_EQ(BuildTables(State, Sources), GenOverflow::Overflow);
  const OutBlock Block = Make();
  // The noise is read at its phase before it first moves: 4 x 32767 = 131068.
  EXPECT_EQ(Block.Left(0), 32767);
  EXPECT_EQ(Block.Right(0), 0);

  Sources[2].On = false;
  Sources[3].On = false;
  State.GenPhase = {3u << 28, 3u << 28, 0, 0}; // the tables' trough
  const OutBlock TwoTones = Make();
  for (int k = 0; k < Frames; ++k) {
    ASSERT_EQ(TwoTones.Left(k), -32768) << k; // -32767 - 32767 = -65534
    ASSERT_EQ(TwoTones.Right(k), 0) << k;
  }
}

TEST_F(MixTest, ToneRepeatsEvery48FramesAt1000Hz) {
  Sources[0] = {true, 100, true, true};
  BuildTables(State, Sources);
  State.GenFreq[0] = 1000;
  const OutBlock Block = Make();
  std::vector<int> Rising;
  for (int k = 1; k < Frames; ++k)
    if (Block.Left(k - 1) < 0 && Block.Left(k) >= 0) Rising.push_back(k);
  // 250 periods in 250 ms; the 250th begins with the next buffer.
  ASSERT_EQ(Rising.size(), 249u);
  for (size_t i = 0; i < Rising.size(); ++i)
    ASSERT_EQ(Rising[i], 48 * static_cast<int>(i + 1));
  EXPECT_EQ(PeakOf(Block, false), 32767);
}

TEST_F(MixTest, RightChannelLeadsTheLeftByOnePhaseStep) {
  Sources[0] = {true, 100, true, true};
  BuildTables(State, Sources);
  State.GenFreq[0] = 1000;
  const OutBlock Block = Make();
  // Sample n sits at phase n x f / 96000 of a turn: the right sample of a
  // frame is one step (3.75 degrees) ahead of its left sample.
  auto Ideal = [](int n) { return 32767 * std::sin(2 * std::numbers::pi * n * 1000.0 / 96000); };
  constexpr double TableError = 32767 * 2 * std::numbers::pi / GenTableSize + 1;
  int RightMatchesLeftPhase = 0;
  for (int k = 0; k < Frames; ++k) {
    ASSERT_NEAR(Block.Left(k), Ideal(2 * k), TableError) << k;
    ASSERT_NEAR(Block.Right(k), Ideal(2 * k + 1), TableError) << k;
    if (std::abs(Block.Right(k) - Ideal(2 * k)) <= TableError) ++RightMatchesLeftPhase;
  }
  EXPECT_LT(RightMatchesLeftPhase, Frames / 2);
}

TEST_F(MixTest, TheNyquistToneAlternatesBetweenValuesHalfATurnApart) {
  Sources[0] = {true, 100, true, true};
  BuildTables(State, Sources);
  State.GenFreq[0] = 24000;
  State.GenPhase[0] = 1u << 28;
  const OutBlock Block = Make();
  for (int k = 0; k < Frames; ++k) {
    ASSERT_EQ(Block.Left(k), k % 2 == 0 ? 32767 : -32767) << k;
    ASSERT_EQ(Block.Right(k), 0) << k;
  }
}

TEST_F(MixTest, ZeroHertzHoldsTheValueAtTheCurrentPhase) {
  Sources[3] = {true, 50, false, true};
  BuildTables(State, Sources);
  State.GenPhase[3] = 4096u << 15;
  const OutBlock Block = Make();
  for (int k = 0; k < Frames; ++k)
    ASSERT_EQ(Block.Right(k), 11585) << k;
  EXPECT_EQ(State.GenPhase[3], 4096u << 15);
}

TEST_F(MixTest, PhasesCarryOnAcrossBuffers) {
  Sources[1] = {true, 100, true, false};
  BuildTables(State, Sources);
  State.GenFreq[0] = State.GenFreq[1] = 1000;
  Make();
  // 24000 steps of 11184811 = 250 turns and 8000 phase units, heard or not.
  EXPECT_EQ(State.GenPhase[1], 8000u);
  EXPECT_EQ(State.GenPhase[0], 8000u);
  State.GenFreq[1] = 24000;
  Make();
  EXPECT_EQ(State.GenPhase[1], 8000u);
}

TEST_F(MixTest, RoutingActsOnTheSameBlockAndLevelsOnTheBlockAfter) {
  Sources[0] = {true, 50, true, false};
  Sources[1] = {false, 100, true, true};
  BuildTables(State, Sources);
  State.GenFreq = {1000, 1500, 0, 0};

  // The window's order for every buffer: Synthesize, then BuildTables.
  auto Refill = [this] {
    OutBlock Block = Make();
    BuildTables(State, Sources);
    return Block;
  };
  // Peaks within 1 %: a channel need not land on the table's very top.
  OutBlock Block = Refill();
  EXPECT_NEAR(PeakOf(Block, false), 16383, 200);
  EXPECT_EQ(PeakOf(Block, true), 0);

  Sources[0] = {true, 100, true, true};
  State.TablesValid = false;
  Block = Refill();
  EXPECT_NEAR(PeakOf(Block, true), 16383, 200) << "routing is read while mixing";
  EXPECT_NEAR(PeakOf(Block, false), 16383, 200) << "the old table is still in use";
  Block = Refill();
  EXPECT_NEAR(PeakOf(Block, true), 32767, 300);
  EXPECT_NEAR(PeakOf(Block, false), 32767, 300);

  // A source switched on whose table was built while it was off.
  Sources[0].On = false;
  Sources[1].On = true;
  State.TablesValid = false;
  Block = Refill();
  EXPECT_EQ(PeakOf(Block, true), 0) << "f1 is off at once, f2's table is still flat";
  Block = Refill();
  EXPECT_NEAR(PeakOf(Block, true), 32767, 300);
}

TEST_F(MixTest, NoiseDrawsOneRandomStepPerSample) {
  Sources[2] = {true, 100, true, true};
  BuildTables(State, Sources);
  RandSeed = 2024;
  uint32_t Expected = RandSeed;
  for (int n = 0; n < OutBlockSamples; ++n)
    Expected = Expected * 134775813u + 1u;
  const OutBlock Block = Make();
  EXPECT_EQ(RandSeed, Expected);
  // Routed nowhere, the noise still draws its steps.
  Sources[2].Left = Sources[2].Right = false;
  for (int n = 0; n < OutBlockSamples; ++n)
    Expected = Expected * 134775813u + 1u;
  Make();
  EXPECT_EQ(RandSeed, Expected);

  // Independent values A sin(theta), theta uniform: mean magnitude 2A / pi,
  // and left and right are different draws.
  double MagnitudeSum = 0;
  int SameInBoth = 0;
  for (int k = 0; k < Frames; ++k) {
    MagnitudeSum += std::abs(Block.Left(k)) + std::abs(Block.Right(k));
    SameInBoth += Block.Left(k) == Block.Right(k);
  }
  EXPECT_NEAR(MagnitudeSum / OutBlockSamples, 2 * 32767 / std::numbers::pi, 500);
  EXPECT_LT(SameInBoth, Frames / 100);

  // The draws go on while the noise is off, so the sequence does not depend on it.
  Sources[2].On = false;
  Expected = RandSeed;
  for (int n = 0; n < OutBlockSamples; ++n)
    Expected = Expected * 134775813u + 1u;
  Make();
  EXPECT_EQ(RandSeed, Expected);
}
