// SPDX-License-Identifier: GPL-3.0-or-later
// The oscilloscope.

#include <utility>

#include "app/Main.h"
#include "views/ScaleCaption.h"

namespace {

// Hands the window only the rows in which the new drawing differs from the
// one before: a steady, triggered trace repaints nothing. Every drawing that
// is not handed over (the grid that a trace then covers) repeats the grid
// that the window already shows.
void ShowScope(TForm1& form) {
  const Bitmap::RowSpan rows = form.ScopeBitmap->RowsDifferingFrom(*form.ScopePrevious);
  if (rows.Count > 0)
    form.CopyToWindow({Geometry::Scope.Left, Geometry::Scope.Top + rows.First,
                       Geometry::Scope.Width, rows.Count});
}

} // namespace

void TForm1::ScopeClick(QObject*) {
  std::swap(ScopeBitmap, ScopePrevious);
  DrawScopeGrid(*ScopeBitmap);
  if (!Scope->Checked()) ShowScope(*this);
}

void TForm1::DrawScope() {
  ScopeClick(this);
  ScopeSettings settings;
  settings.XScale = ScopeXW->ClampedPosition();
  // Taken before the automatic scale moves it: a new scale shows from the
  // next drawing.
  settings.YScale = ScopeYW->ClampedPosition();
  settings.Sync = Sync->Checked();
  settings.Right = RCnl->Checked();
  settings.Left = LCnl->Checked();
  settings.Live = !Stopped;

  if (AutoYScale->Checked() && !Stopped)
    ScopeYW->SetPosition(static_cast<int16_t>(
        AutoYScalePosition(Levels.PeakR, Levels.PeakL, settings.Right, settings.Left)));

  LabelX->SetCaption(CaptionText().Append("X Scale: ").AppendInt(settings.XScale));

  DrawScopeTraces(*ScopeBitmap, ScopeS, Samples, Levels.PeakR, Levels.PeakL, settings);
  ShowScope(*this);
}

// Runs before the position moves, so the caption and a redraw show the
// position before the step; the mouse-up shows the final one.
void TForm1::ScopeXWChanging(QObject*, bool&) {
  ShowYScale();
  if (Stopped) DrawScope();
}

// A stored position outside the scale's range names the nearest bound, the
// scale the trace is drawn with.
void TForm1::ShowYScale() {
  LabelY->SetCaption(YScaleCaption(ScopeYW->ClampedPosition()));
}

void TForm1::ScopeXWMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  ScopeS.TrigLevelR = ScopeS.TrigLevelL = 0;
  bool allowChange = true;
  ScopeXWChanging(this, allowChange);
}
