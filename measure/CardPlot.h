// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One curve of the card report as an inline SVG plot: labelled axes with
// ticks (a logarithmic frequency axis in 1-2-5 steps), a line per channel and
// a legend. Plain string building; the text is escaped for XML.

#include <string>

#include "measure/CardResults.h"

namespace measure {

// Text with &, <, >, " and ' escaped for XML.
std::string XmlEscaped(const std::string& text);

std::string SvgPlot(const Curve& curve);

} // namespace measure
