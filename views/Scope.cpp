// The oscilloscope.

#include <cstdio>

#include "app/Main.h"
#include "views/ScaleCaption.h"

namespace {

// Sets the caption only when it changes, so a steady block allocates nothing.
void SetLatin1Caption(Label* label, const char* text) {
  if (label->Caption() != QLatin1StringView(text)) label->SetCaption(QString::fromLatin1(text));
}

} // namespace

void TForm1::ScopeClick(QObject*) {
  DrawScopeGrid(*ScopeBitmap);
  if (!Scope->Checked()) CopyToWindow(Geometry::Scope);
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

  char caption[24];
  std::snprintf(caption, sizeof caption, "X Scale: %d", settings.XScale);
  SetLatin1Caption(LabelX, caption);

  DrawScopeTraces(*ScopeBitmap, ScopeS, Samples, Levels.PeakR, Levels.PeakL, settings);
  CopyToWindow(Geometry::Scope);
}

// Runs before the position moves, so the caption and a redraw show the
// position before the step; the mouse-up shows the final one.
void TForm1::ScopeXWChanging(QObject*, bool&) {
  const int p = ScopeYW->Position();
  if (p >= ScopeYW->Min && p <= ScopeYW->Max) LabelY->SetCaption(YScaleCaption(p));
  if (Stopped) DrawScope();
}

void TForm1::ScopeXWMouseUp(QObject*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
  ScopeS.TrigLevelR = ScopeS.TrigLevelL = 0;
  bool allowChange = true;
  ScopeXWChanging(this, allowChange);
}
