// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window functions of the spectrum window's long transforms: the spectrum
// library's five shapes and a flat-top for levels. Plain C++, no toolkit.

#include <cstddef>
#include <vector>

namespace measure {

enum class WindowKind { Rectangular, Triangular, Hann, Hamming, BlackmanNuttall, FlatTop };
inline constexpr WindowKind WindowKinds[] = {
    WindowKind::Rectangular, WindowKind::Triangular,      WindowKind::Hann,
    WindowKind::Hamming,     WindowKind::BlackmanNuttall, WindowKind::FlatTop};

// "Hann", "Flat-top", ...: the name the window's menu shows.
const char* WindowName(WindowKind kind);

// The n weights of the window, periodic (entry i at x = i / n - 0.5, the shape
// the spectrum library centres at x = 0), so that a tone centred on a bin
// leaks into no other bin of a rectangular window and into the fewest of
// every other.
std::vector<double> WindowWeights(WindowKind kind, std::size_t n);

// The window's amplitude response to a tone delta bins away from a bin's
// centre, as a share of its response to a tone on the centre (1 at delta 0);
// exact for large transforms, within 1e-5 from 2048 points on.
double WindowResponse(WindowKind kind, double delta);

} // namespace measure
