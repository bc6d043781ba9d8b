#include <gtest/gtest.h>

#include <algorithm>

#include "views/ScopeDrawing.h"

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
