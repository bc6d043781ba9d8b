// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <algorithm>

#include "generator/Synthesis.h"
#include "views/ScopeDrawing.h"

namespace {

// Where the synced right trace starts in each of the blocks a loop-back
// records from the generator's f1 at half level, its phase carried on from
// half a step: a 1 kHz tone's last sample before each rise is then about
// -1071, far from the level 0 the trigger starts from.
std::vector<int> SyncedStarts(double hz, int blocks) {
  GeneratorState g;
  AllocateGenTables(g);
  const GenSources sources{{{true, 50, true, true}, {}, {}, {}}};
  BuildTables(g, sources);
  g.GenFreq[0] = hz;
  g.GenPhase[0] = PhaseIncrement(hz) / 2;
  std::vector<int16_t> buffer(OutBlockSamples), right;
  while (right.size() < static_cast<size_t>(blocks) * SampleBlock::Frames) {
    Synthesize(g, sources, buffer.data());
    for (size_t i = 1; i < buffer.size(); i += 2)
      right.push_back(buffer[i]);
  }
  FreeGenTables(g);
  ScopeState state;
  Bitmap scope(320, 200);
  std::vector<int> starts;
  for (int b = 0; b < blocks; ++b) {
    SampleBlock block;
    std::copy_n(right.begin() + b * SampleBlock::Frames, SampleBlock::Frames, block.Right());
    DrawScopeTraces(scope, state, block, 16383, 0, {6, -181, true, true, false, true});
    starts.push_back(state.ScopeStartR);
  }
  return starts;
}

} // namespace

// A right channel at 0 with one marker sample of 5; at Y scale -1 (divisor
// 11) its point lies at y = 100 + 500 / 11 = 145. The marker's x follows the
// X scale's mapping; a shift is clamped to 0 and to the scale's limit and
// stored clamped; scale 1 ignores the shift; scales beyond 1..50 act as the
// nearest end (the sanitizer build checks every read).
TEST(ScopeDrawing, TheMarkerSampleLandsOnItsPointForEachXScale) {
  struct Case {
    int xScale, shift, index, x, storedShift;
  };
  const Case cases[] = {
      {1, -300, 65, 10, 0},         {1, 0, 2036, 318, 0},      {2, 0, 51, 10, 0},
      {4, -2000, 1381, 100, -1080}, {6, 50, 11, 10, 0},        {7, -1880, 1891, 20, -1880},
      {50, 0, 8, 315, 0},           {0, INT32_MIN, 65, 10, 0}, {51, INT32_MIN, 1882, 45, -1880},
  };
  for (const Case& c : cases) {
    SampleBlock block;
    block.Right()[c.index] = 5;
    ScopeState state;
    state.ScopeShiftR = c.shift;
    Bitmap scope(320, 200);
    DrawScopeTraces(scope, state, block, 0, 0, {c.xScale, -1, false, true, false, true});
    EXPECT_EQ(scope.GetPixel(c.x, 145), clFuchsia) << c.xScale << ", " << c.index;
    EXPECT_NE(scope.GetPixel(c.x - 1, 145), clFuchsia) << c.xScale << ", " << c.index;
    EXPECT_EQ(state.ScopeShiftR, c.storedShift);
  }
}

// The trigger takes the first rising crossing within 499 of the last level,
// forgets the level below a peak of 600, keeps it when nothing crosses, and
// searches nothing while STOP is down.
TEST(ScopeDrawing, TriggerFollowsItsHistory) {
  SampleBlock block;
  std::fill_n(block.Right(), SampleBlock::Frames, 700);
  block.Right()[100] = -700;
  block.Right()[300] = -200;
  ScopeState state;
  Bitmap scope(320, 200);
  const auto draw = [&](int32_t peak, int xScale = 6, bool live = true) {
    DrawScopeTraces(scope, state, block, peak, 0, {xScale, -1, true, true, false, live});
    return std::pair{state.ScopeStartR, state.TrigLevelR};
  };
  EXPECT_EQ(draw(700), std::pair(300, -200));
  state.TrigLevelR = -600;
  EXPECT_EQ(draw(700), std::pair(100, -700));
  EXPECT_EQ(draw(599), std::pair(100, 0));
  block.Right()[100] = block.Right()[300] = 700;
  state.TrigLevelR = -40;
  EXPECT_EQ(draw(700), std::pair(0, -40));
  // At X scale 2 a start past 451 would run off the block: it falls back to 0.
  block.Right()[600] = -200;
  EXPECT_EQ(draw(700), std::pair(600, -200));
  EXPECT_EQ(draw(700, 2), std::pair(0, -200));
  EXPECT_EQ(draw(700, 6, false), std::pair(0, 0));
}

// At Y scale -181 full scale reaches 100 +- 99; the left trace covers the
// right.
TEST(ScopeDrawing, FullScaleAtTheLowestYScaleAndLeftOverRight) {
  SampleBlock block;
  std::fill_n(block.Right(), SampleBlock::Frames, 32767);
  std::fill_n(block.Left(), SampleBlock::Frames, -32767);
  std::fill_n(block.Left(), 100, 32767);
  ScopeState state;
  Bitmap scope(320, 200);
  DrawScopeGrid(scope);
  DrawScopeTraces(scope, state, block, 32767, 32767, {6, -181, false, true, true, true});
  EXPECT_EQ(scope.GetPixel(50, 199), clAqua);
  EXPECT_EQ(scope.GetPixel(200, 199), clFuchsia);
  EXPECT_EQ(scope.GetPixel(200, 1), clAqua);
  EXPECT_EQ(scope.GetPixel(32, 50), ColorToRGB(clBtnShadow));
  EXPECT_EQ(AutoYScalePosition(0, 0, true, true), -2);
  EXPECT_EQ(AutoYScalePosition(100, 32767, true, false), -10);
  EXPECT_EQ(AutoYScalePosition(100, 32767, true, true), -181);
}

// Nine grid lines each way, edge to edge, every 32 columns and 20 rows.
TEST(ScopeDrawing, GridIsNineLinesEachWayOnBlack) {
  Bitmap scope(320, 200);
  DrawScopeGrid(scope);
  int wrong = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 320; ++x) {
      const bool line = (x % 32 == 0 && x > 0) || (y % 20 == 0 && y > 0);
      wrong += scope.GetPixel(x, y) != (line ? ColorToRGB(clBtnShadow) : clBlack);
    }
  EXPECT_EQ(wrong, 0);
}

// A tone whose period is a whole number of samples (1 kHz, 48 samples) locks
// from the first block: every start lies at the same phase of the tone. A
// 440 Hz tone keeps the starts the near-level rule gives it.
TEST(ScopeDrawing, TriggerLocksOnAnExactPeriodToneAndKeepsOtherTones) {
  const std::vector<int> exact = SyncedStarts(1000, 12);
  for (size_t b = 0; b < exact.size(); ++b)
    EXPECT_EQ((exact[b] + b * SampleBlock::Frames) % 48, exact[0] % 48u) << b;
  EXPECT_EQ(SyncedStarts(440, 12),
            (std::vector<int>{108, 133, 485, 73, 98, 341, 38, 63, 197, 549, 28, 53}));
}
