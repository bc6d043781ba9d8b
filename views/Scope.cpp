// The oscilloscope.

#include "app/Main.h"

void TForm1::ScopeClick(QObject*) {
  Bitmap& bitmap = *ScopeBitmap;
  bitmap.BrushColor = clBlack;
  bitmap.FillRect(0, 0, Geometry::Scope.Width, Geometry::Scope.Height);
  bitmap.PenColor = clBtnShadow;
  for (int i = 1; i <= 9; ++i) {
    bitmap.MoveTo(0, 20 * i);
    bitmap.LineTo(Geometry::Scope.Width, 20 * i);
    bitmap.MoveTo(32 * i, 0);
    bitmap.LineTo(32 * i, Geometry::Scope.Height);
  }
  if (!Scope->Checked()) CopyToWindow(Geometry::Scope);
}

void TForm1::DrawScope() {}

void TForm1::ScopeXWChanging(QObject*, bool&) {}

void TForm1::ScopeXWMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}
