// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colours as the views and controls use them: 0x00BBGGRR values (red in the
// lowest byte), or 0xFF0000nn for the system colour with index nn.

#include <cstdint>

#include <QColor>

using TColor = uint32_t;

constexpr TColor RGBColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clMaroon = 0x000080;
inline constexpr TColor clGreen = 0x008000;
inline constexpr TColor clOlive = 0x008080;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clLime = 0x00FF00;
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clFuchsia = 0xFF00FF;
inline constexpr TColor clAqua = 0xFFFF00;
inline constexpr TColor clWhite = 0xFFFFFF;

inline constexpr TColor clWindow = 0xFF000005;
inline constexpr TColor clWindowText = 0xFF000008;
inline constexpr TColor clBtnFace = 0xFF00000F;
inline constexpr TColor clBtnShadow = 0xFF000010;
inline constexpr TColor clBtnHighlight = 0xFF000014;
inline constexpr TColor clInfoBk = 0xFF000018;

constexpr bool IsSystemColor(TColor c) {
  return (c & 0xFF000000u) == 0xFF000000u;
}

// The plain 0x00BBGGRR value of a colour; system colours come from the
// application palette (fixed classic values when there is no application).
TColor ColorToRGB(TColor c);
QColor ToQColor(TColor c);
// 0x00BBGGRR from a Qt pixel value (alpha ignored).
TColor FromQRgb(QRgb rgb);
QRgb ToQRgb(TColor c);
