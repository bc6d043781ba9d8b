// SPDX-License-Identifier: GPL-3.0-or-later
// The drawing rules of the off-screen bitmap that the views count on.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

#include <QPainter>

#include "platform/Bitmap.h"

namespace {

__extension__ using Int128 = __int128;

constexpr TColor Ink = clWhite;

bool Painted(const Bitmap& b, int x, int y) {
  return b.GetPixel(x, y) == Ink;
}

int CountPainted(const Bitmap& b) {
  int count = 0;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      count += Painted(b, x, y);
  return count;
}

void Line(Bitmap& b, int x0, int y0, int x1, int y1) {
  b.PenColor = Ink;
  b.MoveTo(x0, y0);
  b.LineTo(x1, y1);
}

// A pixel at minor coordinate `minor` for step i of a line with n major steps
// and minor extent d lies within half a pixel of the ideal line.
bool NearIdeal(int64_t minor0, int64_t minor, int64_t i, int64_t d, int64_t n) {
  const Int128 off = Int128{minor - minor0} * 2 * n - Int128{i} * d * 2;
  return off <= n && off >= -Int128{n};
}

// Checks every painted pixel of b against the line (x0, y0)-(x1, y1), and
// that each major coordinate inside b whose ideal point lies well inside b
// has exactly one pixel.
void ExpectLinePixels(const Bitmap& b, int64_t x0, int64_t y0, int64_t x1, int64_t y1) {
  const int64_t dx = x1 - x0, dy = y1 - y0;
  const bool xMajor = std::llabs(dx) >= std::llabs(dy);
  const int64_t n = std::max(std::llabs(dx), std::llabs(dy));
  std::vector<int> perMajor(static_cast<size_t>(xMajor ? b.Width() : b.Height()));
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) {
      if (!Painted(b, x, y)) continue;
      const int64_t major = xMajor ? x : y, minor = xMajor ? y : x;
      const int64_t major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
      const int64_t step = (xMajor ? dx : dy) < 0 ? -1 : 1;
      const int64_t i = (major - major0) * step;
      ASSERT_GE(i, 0) << "pixel before the start at " << x << "," << y;
      ASSERT_LT(i, n) << "pixel at or past the end at " << x << "," << y;
      ASSERT_TRUE(NearIdeal(minor0, minor, i, xMajor ? dy : dx, n))
          << "pixel off the line at " << x << "," << y;
      ++perMajor[static_cast<size_t>(major)];
    }
  for (size_t major = 0; major < perMajor.size(); ++major) {
    const int64_t major0 = xMajor ? x0 : y0, minor0 = xMajor ? y0 : x0;
    const int64_t step = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const int64_t i = (static_cast<int64_t>(major) - major0) * step;
    if (i < 0 || i >= n) {
      EXPECT_EQ(perMajor[major], 0);
      continue;
    }
    // The ideal minor coordinate, rounded down; a pixel is expected only when
    // it lies clearly inside the bitmap.
    const int64_t d = xMajor ? dy : dx;
    const Int128 num = Int128{i} * d;
    const int64_t ideal = minor0 + static_cast<int64_t>(num / n);
    const int64_t extent = xMajor ? b.Height() : b.Width();
    if (ideal >= 1 && ideal < extent - 1)
      EXPECT_EQ(perMajor[major], 1) << "major " << major;
    else
      EXPECT_LE(perMajor[major], 1) << "major " << major;
  }
}

} // namespace

TEST(Bitmap, LineLeavesOutItsEndPixelInEveryOctant) {
  const int deltas[][2] = {{20, 7},  {7, 20},   {-7, 20},   {-20, 7},  {-20, -7}, {-7, -20},
                           {7, -20}, {20, -7},  {20, 0},    {0, 20},   {-20, 0},  {0, -20},
                           {20, 20}, {-20, 20}, {-20, -20}, {20, -20}, {1, 0},    {0, -1},
                           {3, 1},   {-1, 3},   {9, 4},     {-4, -9}};
  for (const auto& d : deltas) {
    SCOPED_TRACE(testing::Message() << "delta " << d[0] << "," << d[1]);
    Bitmap b(61, 61);
    Line(b, 30, 30, 30 + d[0], 30 + d[1]);
    EXPECT_TRUE(Painted(b, 30, 30));
    EXPECT_FALSE(Painted(b, 30 + d[0], 30 + d[1]));
    EXPECT_EQ(CountPainted(b), std::max(std::abs(d[0]), std::abs(d[1])));
    EXPECT_EQ(b.PenPos(), QPoint(30 + d[0], 30 + d[1]));
    ExpectLinePixels(b, 30, 30, 30 + d[0], 30 + d[1]);
  }
  Bitmap b(8, 8);
  Line(b, 3, 3, 3, 3);
  EXPECT_EQ(CountPainted(b), 0);
}

TEST(Bitmap, LineRunOnFromTheEndPaintsThePointItLeftOut) {
  Bitmap b(20, 20);
  Line(b, 2, 2, 10, 5);
  b.LineTo(10, 15);
  EXPECT_TRUE(Painted(b, 10, 5));
  EXPECT_FALSE(Painted(b, 10, 15));
}

namespace {

// The naive reference: every step of the line plotted, nearest pixel to the
// ideal line with ties away from the start, end pixel left out.
void NaiveLine(Bitmap& b, int x0, int y0, int x1, int y1) {
  const int dx = x1 - x0, dy = y1 - y0;
  const int n = std::max(std::abs(dx), std::abs(dy));
  for (int i = 0; i < n; ++i) {
    const auto along = [&](int d) {
      const int offset = static_cast<int>(std::floor(double(i) * std::abs(d) / n + 0.5));
      return d < 0 ? -offset : offset;
    };
    b.SetPixel(x0 + along(dx), y0 + along(dy), Ink);
  }
}

} // namespace

TEST(Bitmap, ClippedLineMatchesANaiveReferenceOnABigCanvas) {
  // Lines crossing a small bitmap from far outside, and one that passes by.
  const int lines[][4] = {{-1500, -900, 1400, 1100}, {1450, 60, -1300, -20},
                          {30, -1500, 10, 1500},     {-1000, 1300, 1200, -1400},
                          {-700, 20, 1500, 21},      {-1500, -1500, -1400, 1500}};
  constexpr int Offset = 1500;
  for (const auto& l : lines) {
    SCOPED_TRACE(testing::Message() << l[0] << "," << l[1] << " to " << l[2] << "," << l[3]);
    // The whole line fits the big canvas: nothing is clipped there.
    Bitmap naive(2 * Offset + 1, 2 * Offset + 1);
    NaiveLine(naive, l[0] + Offset, l[1] + Offset, l[2] + Offset, l[3] + Offset);
    Bitmap whole(2 * Offset + 1, 2 * Offset + 1);
    Line(whole, l[0] + Offset, l[1] + Offset, l[2] + Offset, l[3] + Offset);
    EXPECT_TRUE(whole.Image() == naive.Image());

    Bitmap small(64, 48);
    Line(small, l[0], l[1], l[2], l[3]);
    int differences = 0;
    for (int y = 0; y < small.Height(); ++y)
      for (int x = 0; x < small.Width(); ++x)
        differences += small.GetPixel(x, y) != naive.GetPixel(x + Offset, y + Offset);
    EXPECT_EQ(differences, 0);
  }
}

TEST(Bitmap, LinesWithHugeCoordinatesAreClippedExactly) {
  // Lines billions of pixels long: only the part inside is drawn, and it lies
  // where the whole line would lie.
  const int64_t lines[][4] = {{-2000000000, -1500000000, 2000000000, 1700000000},
                              {2147483000, 20, -2147483000, 30},
                              {10, -2147483000, 40, 2147483000},
                              {-2147483647, 2147483647, 2147483647, -2147483647},
                              {-5, -2000000000, 60, 2000000000}};
  for (const auto& l : lines) {
    SCOPED_TRACE(testing::Message() << l[0] << "," << l[1] << " to " << l[2] << "," << l[3]);
    Bitmap b(64, 48);
    Line(b, static_cast<int>(l[0]), static_cast<int>(l[1]), static_cast<int>(l[2]),
         static_cast<int>(l[3]));
    ExpectLinePixels(b, l[0], l[1], l[2], l[3]);
  }
  // A diagonal through the corner region must actually show up.
  Bitmap b(64, 48);
  Line(b, -2000000000, -2000000000, 2000000000, 2000000000);
  EXPECT_TRUE(Painted(b, 0, 0));
  EXPECT_TRUE(Painted(b, 47, 47));
  EXPECT_EQ(CountPainted(b), 48);
}

TEST(Bitmap, FilledRectangleIsRightAndBottomExclusive) {
  Bitmap b(10, 10);
  b.BrushColor = Ink;
  b.FillRect(2, 3, 5, 7);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(Painted(b, x, y), x >= 2 && x < 5 && y >= 3 && y < 7) << x << "," << y;

  Bitmap q(10, 10);
  q.BrushColor = Ink;
  q.FillRect(QRect(2, 3, 3, 4));
  EXPECT_EQ(q.Image(), b.Image());

  // Empty and inverted rectangles paint nothing; the rest is clipped.
  Bitmap e(10, 10);
  e.BrushColor = Ink;
  e.FillRect(4, 4, 4, 8);
  e.FillRect(6, 6, 3, 3);
  EXPECT_EQ(CountPainted(e), 0);
  e.FillRect(-5, -5, 2, 1);
  e.FillRect(8, 9, 100, 100);
  EXPECT_EQ(CountPainted(e), 2 + 2);
}

TEST(Bitmap, PixelsAreBlueGreenRedValues) {
  Bitmap b(4, 4);
  b.SetPixel(1, 2, 0x00332211);
  EXPECT_EQ(b.Image().pixel(1, 2) & 0xFFFFFF, 0x112233u);
  EXPECT_EQ(b.GetPixel(1, 2), 0x00332211u);
  b.SetPixel(0, 0, clFuchsia);
  EXPECT_EQ(b.GetPixel(0, 0), RGBColor(255, 0, 255));
  b.SetPixel(3, 3, clBtnFace);
  EXPECT_EQ(b.GetPixel(3, 3), ColorToRGB(clBtnFace));
  EXPECT_FALSE(IsSystemColor(b.GetPixel(3, 3)));

  const QImage before = b.Image();
  b.SetPixel(-1, 0, Ink);
  b.SetPixel(4, 0, Ink);
  b.SetPixel(0, 4, Ink);
  EXPECT_EQ(b.Image(), before);
  EXPECT_EQ(b.GetPixel(-1, 0), CLR_INVALID);
  EXPECT_EQ(b.GetPixel(0, 4), CLR_INVALID);
}

namespace {

Bitmap Numbered(int w, int h) {
  Bitmap b(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      b.SetPixel(x, y, static_cast<TColor>(x + 256 * y));
  return b;
}

TColor Number(int x, int y) {
  return static_cast<TColor>(x + 256 * y);
}

} // namespace

TEST(Bitmap, CopyOntoItselfScrollsLeftAndRight) {
  constexpr int W = 40, H = 6, S = 3;
  Bitmap left = Numbered(W, H);
  left.CopyRect(0, 0, W - S, H, left, S, 0);
  Bitmap right = Numbered(W, H);
  right.CopyRect(S, 0, W - S, H, right, 0, 0);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      EXPECT_EQ(left.GetPixel(x, y), x < W - S ? Number(x + S, y) : Number(x, y));
      EXPECT_EQ(right.GetPixel(x, y), x >= S ? Number(x - S, y) : Number(x, y));
    }
}

TEST(Bitmap, CopyOntoItselfScrollsUpAndDown) {
  constexpr int W = 5, H = 30, S = 4;
  Bitmap up = Numbered(W, H);
  up.CopyRect(0, 0, W, H - S, up, 0, S);
  Bitmap down = Numbered(W, H);
  down.CopyRect(0, S, W, H - S, down, 0, 0);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      EXPECT_EQ(up.GetPixel(x, y), y < H - S ? Number(x, y + S) : Number(x, y));
      EXPECT_EQ(down.GetPixel(x, y), y >= S ? Number(x, y - S) : Number(x, y));
    }
}

TEST(Bitmap, CopyBetweenBitmapsIsClippedOnBothSides) {
  const Bitmap src = Numbered(8, 8);
  Bitmap dst(6, 6);
  dst.CopyRect(-2, 3, 8, 8, src, 1, 0);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 6; ++x)
      EXPECT_EQ(dst.GetPixel(x, y), y >= 3 && x < 5 ? Number(x + 3, y - 3) : clBlack)
          << x << "," << y;
  // A column bitmap copied into a wide one, as the spectrogram does.
  Bitmap column(1, 6);
  column.SetPixel(0, 2, Ink);
  dst.CopyRect(5, 0, 1, 6, column, 0, 0);
  EXPECT_TRUE(Painted(dst, 5, 2));
  EXPECT_EQ(dst.GetPixel(5, 1), clBlack);
}

// The one-pass scroll gives the pixels of a self-copy followed by pastes of a
// column, also where the column is shorter or the distance is the whole width.
TEST(Bitmap, ScrollLeftMatchesASelfCopyAndColumnPastes) {
  constexpr int W = 30, H = 8;
  Bitmap column(1, 6);
  for (int y = 0; y < 6; ++y)
    column.SetPixel(0, y, RGBColor(200, uint8_t(y), 7));
  for (int distance : {0, 1, 4, W, W + 5}) {
    Bitmap fast = Numbered(W, H), slow = Numbered(W, H);
    fast.ScrollLeft(distance, column);
    slow.CopyRect(0, 0, W, H, slow, distance, 0);
    for (int k = 0; k < distance; ++k)
      slow.CopyRect(W - 1 - k, 0, 1, 6, column, 0, 0);
    EXPECT_EQ(fast.Image(), slow.Image()) << "distance " << distance;
  }
}

// Scroll room changes no pixel: through scrolls that use the room up, scrolls
// wider than it, and every kind of drawing between them, a bitmap with room
// shows what one without shows, also when drawn onto a painter.
TEST(Bitmap, ScrollRoomChangesNoPixel) {
  constexpr int W = 30, H = 8;
  Bitmap column(1, 6);
  for (int y = 0; y < 6; ++y)
    column.SetPixel(0, y, RGBColor(200, uint8_t(y), 7));
  Bitmap plain = Numbered(W, H), roomy(W, H, 7);
  roomy.CopyRect(0, 0, W, H, plain, 0, 0);
  for (int step = 0; step < 12; ++step) {
    const int distance = step == 5 ? 9 : step == 9 ? W + 2 : step % 4 + 1;
    for (Bitmap* b : {&plain, &roomy}) {
      b->ScrollLeft(distance, column);
      b->PenColor = RGBColor(uint8_t(step), 90, 40);
      b->MoveTo(step, -1);
      b->LineTo(W - step, H);
      b->BrushColor = RGBColor(10, uint8_t(step), 200);
      b->FillRect(-2, 7, 3, H + 3);
      b->CopyRect(step, 6, 3, 2, *b, W - 3, 0);
      if (step % 3 == 0) b->TextOut(W - 9, 0, "8");
    }
    ASSERT_EQ(roomy.Image(), plain.Image()) << "step " << step;
    ASSERT_EQ(roomy.RowsDifferingFrom(plain).Count, 0);
  }
  QImage shown(W, H, QImage::Format_RGB32);
  shown.fill(Qt::green);
  QPainter painter(&shown);
  roomy.Draw(painter, {0, 0}, {0, 0, W, H});
  painter.end();
  EXPECT_EQ(shown, plain.Image());
}
