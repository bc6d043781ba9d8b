#include <gtest/gtest.h>

#include <algorithm>

#include "views/ScopeDrawing.h"

namespace {

// A right channel at 0 with one marker sample; at Y scale -1 (divisor 11) the
// marker's point lies at y = 100 + 500 / 11 = 145 and the rest on y = 100.
constexpr int16_t Marker = 5;
constexpr int MarkerY = 145;

Bitmap DrawRight(const SampleBlock& block, ScopeState& state, ScopeSettings settings) {
  Bitmap scope(320, 200);
  DrawScopeGrid(scope);
  settings.Right = true;
  DrawScopeTraces(scope, state, block, 0, 0, settings);
  return scope;
}

} // namespace

// The sample drawn as a point, and the x of that point, follow the X scale;
// a shift is clamped to 0 and to the scale's limit, and stored clamped; at
// scale 1 the shift is ignored.
TEST(ScopeDrawing, TheMarkerSampleLandsOnItsPointForEachXScale) {
  struct Case {
    int xScale, shift, index, x, storedShift;
  };
  const Case cases[] = {
      {1, -300, 65, 10, 0},         {1, 0, 2036, 318, 0}, {2, 0, 51, 10, 0},
      {4, -2000, 1381, 100, -1080}, {6, 50, 11, 10, 0},   {7, -1880, 1891, 20, -1880},
      {50, 0, 8, 315, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "X scale " << c.xScale << ", index " << c.index);
    SampleBlock block;
    block.Right()[c.index] = Marker;
    ScopeState state;
    state.ScopeShiftR = c.shift;
    const Bitmap scope = DrawRight(block, state, {c.xScale, -1, false, false, false, true});
    EXPECT_EQ(scope.GetPixel(c.x, MarkerY), clFuchsia);
    EXPECT_NE(scope.GetPixel(c.x - 1, MarkerY), clFuchsia);
    EXPECT_NE(scope.GetPixel(c.x + 1, MarkerY), clFuchsia);
    EXPECT_EQ(state.ScopeShiftR, c.storedShift);
  }
}

// The trigger takes the first rising crossing within 499 of the last level,
// forgets the level below a peak of 600, and keeps it when nothing crosses.
TEST(ScopeDrawing, TriggerFollowsItsHistory) {
  SampleBlock block;
  std::fill_n(block.Right(), SampleBlock::Frames, 700);
  block.Right()[100] = -700;
  block.Right()[300] = -200;
  ScopeState state;
  const ScopeSettings sync{6, -1, true, true, false, true};
  Bitmap scope(320, 200);

  DrawScopeTraces(scope, state, block, 700, 0, sync);
  EXPECT_EQ(state.ScopeStartR, 300);
  EXPECT_EQ(state.TrigLevelR, -200);

  state.TrigLevelR = -600;
  DrawScopeTraces(scope, state, block, 700, 0, sync);
  EXPECT_EQ(state.ScopeStartR, 100);
  EXPECT_EQ(state.TrigLevelR, -700);

  DrawScopeTraces(scope, state, block, 599, 0, sync);
  EXPECT_EQ(state.ScopeStartR, 100);
  EXPECT_EQ(state.TrigLevelR, 0);

  SampleBlock flat;
  std::fill_n(flat.Right(), SampleBlock::Frames, 700);
  state.TrigLevelR = -40;
  DrawScopeTraces(scope, state, flat, 700, 0, sync);
  EXPECT_EQ(state.ScopeStartR, 0);
  EXPECT_EQ(state.TrigLevelR, -40);

  // At X scale 2 a start past 451 would run off the block: it falls back to 0.
  flat.Right()[600] = -200;
  DrawScopeTraces(scope, state, flat, 700, 0, sync);
  EXPECT_EQ(state.ScopeStartR, 600);
  DrawScopeTraces(scope, state, flat, 700, 0, {2, -1, true, true, false, true});
  EXPECT_EQ(state.TrigLevelR, -200);
  EXPECT_EQ(state.ScopeStartR, 0);

  // While STOP is down nothing is searched and the history is cleared.
  DrawScopeTraces(scope, state, block, 700, 0, {6, -1, true, true, false, false});
  EXPECT_EQ(state.ScopeStartR, 0);
  EXPECT_EQ(state.TrigLevelR, 0);
}

// At Y scale -181 full scale reaches 100 +- 99; the left trace covers the right.
TEST(ScopeDrawing, FullScaleAtTheLowestYScaleAndLeftOverRight) {
  SampleBlock block;
  std::fill_n(block.Right(), SampleBlock::Frames, 32767);
  std::fill_n(block.Left(), SampleBlock::Frames, -32767);
  for (int i = 0; i < 100; ++i)
    block.Left()[i] = 32767;
  ScopeState state;
  Bitmap scope(320, 200);
  DrawScopeGrid(scope);
  DrawScopeTraces(scope, state, block, 32767, 32767, {6, -181, false, true, true, true});
  EXPECT_EQ(scope.GetPixel(50, 199), clAqua);
  EXPECT_EQ(scope.GetPixel(200, 199), clFuchsia);
  EXPECT_EQ(scope.GetPixel(200, 1), clAqua);
  EXPECT_EQ(scope.GetPixel(200, 0), clBlack);
  // The grid: inner lines only.
  EXPECT_EQ(scope.GetPixel(32, 50), ColorToRGB(clBtnShadow));
  EXPECT_EQ(scope.GetPixel(0, 50), clBlack);
}

// Scales and shifts far beyond the controls' ranges still draw from inside
// the block (the sanitizer build checks every read).
TEST(ScopeDrawing, SettingsBeyondTheRangesStayInsideTheBlock) {
  SampleBlock block;
  for (int i = 0; i < SampleBlock::Frames; ++i)
    block.Right()[i] = static_cast<int16_t>(i % 3 == 0 ? -1 : 900);
  for (int xScale : {-5, 0, 51, 30000})
    for (int shift : {INT32_MIN, -5000, 5000})
      for (bool sync : {false, true}) {
        ScopeState state;
        state.ScopeShiftR = shift;
        state.TrigLevelR = -1;
        const Bitmap scope = DrawRight(block, state, {xScale, 100000, sync, false, false, true});
        EXPECT_LE(state.ScopeShiftR, 0);
        if (!sync) {
          EXPECT_GE(state.ScopeShiftR, -1880);
        }
        int traced = 0;
        for (int x = 0; x < 320; ++x)
          for (int y = 0; y < 200; ++y)
            traced += scope.GetPixel(x, y) == clFuchsia;
        EXPECT_GT(traced, 0) << xScale << " " << shift << " " << sync;
      }
}

TEST(ScopeDrawing, AutoYScaleFollowsTheLouderSelectedChannel) {
  EXPECT_EQ(AutoYScalePosition(0, 0, true, true), -2);
  EXPECT_EQ(AutoYScalePosition(100, 32767, true, true), -181);
  EXPECT_EQ(AutoYScalePosition(100, 32767, true, false), -10);
  EXPECT_EQ(AutoYScalePosition(100, 32767, false, true), -181);
}
