// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// An off-screen bitmap with a canvas that follows the drawing rules the views
// count on: filled rectangles cover left/top inclusive and right/bottom
// exclusive, lines leave out their end pixel, pixels are 0x00BBGGRR values,
// copies are plain source copies (also of a bitmap onto itself), text uses the
// window font on the brush colour. Everything outside the bitmap is clipped.
//
// A bitmap made with scroll room keeps that many spare columns to the right of
// its pixels: ScrollLeft then moves where the pixels start instead of moving
// them, and they go back to the left edge only when the room runs out.

#include <algorithm>

#include <QFont>
#include <QImage>
#include <QRect>
#include <QString>

class QPainter;

#include "platform/Colors.h"

class Bitmap {
public:
  Bitmap(int width, int height, int scrollRoom = 0);

  int Width() const { return width_; }
  int Height() const { return image_.height(); }

  TColor PenColor = clBlack;
  TColor BrushColor = clWhite;
  TColor FontColor = clWindowText;

  void FillRect(int left, int top, int right, int bottom);
  void FillRect(const QRect& r) { FillRect(r.left(), r.top(), r.right() + 1, r.bottom() + 1); }
  void MoveTo(int x, int y);
  // Draws from the pen position to (x, y) without the end pixel, then moves there.
  void LineTo(int x, int y);
  void SetPixel(int x, int y, TColor color);
  // 0xFFFFFFFF outside the bitmap.
  TColor GetPixel(int x, int y) const;
  // SetPixel(x, top + i, colors[i]) for i < count, in one call.
  void SetColumn(int x, int top, const TColor* colors, int count);
  // Copies width x height pixels of src at (sx, sy) to (dx, dy); src may be this bitmap.
  void CopyRect(int dx, int dy, int width, int height, const Bitmap& src, int sx, int sy);
  // Gives the pixels of a self-copy of the whole bitmap from (distance, 0) to
  // (0, 0) followed by pasting column 0 of edge at x = Width - 1 ... Width -
  // distance, in one pass: every row moves left and the freed columns repeat
  // that row's edge pixel. Rows below edge's height keep their old right part.
  void ScrollLeft(int distance, const Bitmap& edge);
  void TextOut(int x, int y, const QString& text);
  // A 3D frame of one pixel: topLeft along the top and left edges, bottomRight
  // along the bottom and right edges, on the outermost pixels of r.
  void Frame3D(QRect r, TColor topLeft, TColor bottomRight);

  // The span of rows in which this bitmap differs from other, a bitmap of the
  // same size: Count 0 when none differ.
  struct RowSpan {
    int First = 0, Count = 0;
  };
  RowSpan RowsDifferingFrom(const Bitmap& other) const;

  QPoint PenPos() const { return pen_; }
  // The Width() pixels of row y, for putting them on a screen directly.
  const QRgb* Row(int y) const { return Pixels() + y * Stride(); }
  // The pixels as an image: shared when the bitmap has no scroll room, a copy
  // when it has.
  QImage Image() const;
  // Draws the pixels of source, a rectangle within the bitmap, with their top
  // left at `at`.
  void Draw(QPainter& painter, QPoint at, const QRect& source) const;

private:
  void Plot(int x, int y, QRgb rgb);
  // The first pixel, and the distance from a row to the next, in pixels. The
  // writable pointer detaches the image once for the whole operation.
  QRgb* Pixels();
  const QRgb* Pixels() const;
  qsizetype Stride() const { return image_.bytesPerLine() / qsizetype{sizeof(QRgb)}; }

  QImage image_;
  int width_;
  int origin_ = 0; // the column of image_ where the pixels start
  QPoint pen_;
};

inline constexpr TColor CLR_INVALID = 0xFFFFFFFF;

// The rectangle whose corners are the pixels a and b, both included, in
// whichever order they come: what a line between them may cover.
// QRect(a, b).normalized() leaves out the far row and column of reversed
// corners.
inline QRect Spanning(QPoint a, QPoint b) {
  return QRect(QPoint(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPoint(std::max(a.x(), b.x()), std::max(a.y(), b.y())));
}
