// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The ruler's scale: a frequency scale in kHz over the scrolling spectrum, or
// a level scale in dB over the spectral amplitude graph. Plain choices in,
// label texts and positions out, drawn into a Bitmap of the paint box's size.

#include <vector>

#include <QString>

#include "platform/Bitmap.h"

// The controls that choose the scale, as ticked or not.
struct RulerChoice {
  bool Ruler = false;
  bool SpectralAmp = false;
  bool RB22K = false, RB11K = false, RB6K = false;
  bool dB10 = false, dB30 = false, dB60 = false;
};

// One text of the ruler; Left and Top in paint-box pixels, Top the text's top.
struct RulerLabel {
  int Left = 0, Top = 0;
  QString Text;
  bool operator==(const RulerLabel&) const = default;
};

// The labels, top to bottom, ending with the unit caption "kHz" on the
// frequency scale; the level scale starts with "0dB".
std::vector<RulerLabel> RulerLabels(const RulerChoice& choice);

// Fills the canvas with its brush colour and writes the labels on it.
void DrawRulerLabels(Bitmap& canvas, const std::vector<RulerLabel>& labels);
