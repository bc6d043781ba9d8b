// SPDX-License-Identifier: GPL-3.0-or-later
#include "views/RulerDrawing.h"

#include <cmath>

#include "views/AmpGraphDrawing.h"

namespace {

// A whole kHz between dashes; a single digit gets a space more on each side
// so that it stays centred.
QString WholeKHz(int n) {
  return n >= 10 ? QStringLiteral("-- %1  --").arg(n) : QStringLiteral("--  %1   --").arg(n);
}

// Half kHz steps: n counts half kilohertz.
QString HalfKHz(int n) {
  return QStringLiteral("-- %1%2 --")
      .arg(n / 2)
      .arg(n % 2 ? QStringLiteral(".5") : QStringLiteral(".0"));
}

// Nearest integer, ties to even.
int Nearest(double y) {
  return static_cast<int>(std::lrint(y));
}

// Eleven labels from n = 11 down to 1, each between two ticks, 21.4 pixels
// apart.
void TickedLabels(QString (*label)(int), std::vector<RulerLabel>& out) {
  const QString tick = QStringLiteral("--       --");
  double y = 13.0;
  int n = 11;
  for (int i = 0; i <= 22; ++i) {
    out.push_back({0, Nearest(y), i % 2 ? label(n--) : tick});
    y += 21.4;
  }
}

void FrequencyLabels(const RulerChoice& c, std::vector<RulerLabel>& out) {
  if (c.Ruler && c.RB22K) {
    // 23 kHz down to 1 kHz, one label every other step of 10.65 pixels; y
    // accumulates, so the rounding follows the running sum.
    double y = 2.5;
    int n = 23;
    for (int i = 0; i <= 45; ++i) {
      if (i % 2) out.push_back({0, Nearest(y), WholeKHz(n--)});
      y += 10.65;
    }
  }
  if (c.Ruler && c.RB11K) TickedLabels(WholeKHz, out);
  if (c.Ruler && c.RB6K) TickedLabels(HalfKHz, out);
  out.push_back({7, 497, QStringLiteral("kHz")});
}

// The tops put each label's middle on the graph's row for that level.
void LevelLabels(const RulerChoice& c, std::vector<RulerLabel>& out) {
  out.push_back({0, 7, QStringLiteral("0dB")});
  if (c.dB10) {
    for (int i = 1; i <= 10; ++i)
      out.push_back(
          {0, static_cast<int>(std::trunc(AmpPixelsPerDb10 * i)) + 7, QString::number(-i)});
    return;
  }
  for (int i = 2; i <= 31; ++i) {
    const int y = static_cast<int>(std::trunc(AmpLevelSpacing * i)) - 8;
    if (c.dB30) out.push_back({0, y, QString::number(1 - i)});
    if (c.dB60) out.push_back({0, y, QString::number(2 - 2 * i)});
  }
}

} // namespace

std::vector<RulerLabel> RulerLabels(const RulerChoice& choice) {
  std::vector<RulerLabel> labels;
  if (!choice.SpectralAmp)
    FrequencyLabels(choice, labels);
  else if (choice.Ruler)
    LevelLabels(choice, labels);
  return labels;
}

void DrawRulerLabels(Bitmap& canvas, const std::vector<RulerLabel>& labels) {
  canvas.FillRect(0, 0, canvas.Width(), canvas.Height());
  for (const RulerLabel& label : labels)
    canvas.TextOut(label.Left, label.Top, label.Text);
}
