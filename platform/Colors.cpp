// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace {

// Fallbacks for code that draws before (or without) an application object.
TColor ClassicSystemColor(TColor c) {
  switch (c & 0xFF) {
  case 5:
    return clWhite;
  case 8:
    return clBlack;
  case 15:
    return RGBColor(240, 240, 240);
  case 16:
    return RGBColor(160, 160, 160);
  case 20:
    return clWhite;
  case 24:
    return RGBColor(255, 255, 225);
  default:
    return clBlack;
  }
}

bool PaletteRole(TColor c, QPalette::ColorRole& role) {
  switch (c & 0xFF) {
  case 5:
    role = QPalette::Base;
    return true;
  case 8:
    role = QPalette::WindowText;
    return true;
  case 15:
    role = QPalette::Button;
    return true;
  case 16:
    role = QPalette::Dark;
    return true;
  case 20:
    role = QPalette::Light;
    return true;
  case 24:
    role = QPalette::ToolTipBase;
    return true;
  default:
    return false;
  }
}

} // namespace

TColor FromQRgb(QRgb rgb) {
  return RGBColor(static_cast<uint8_t>(qRed(rgb)), static_cast<uint8_t>(qGreen(rgb)),
                  static_cast<uint8_t>(qBlue(rgb)));
}

TColor ColorToRGB(TColor c) {
  if (!IsSystemColor(c)) return c & 0x00FFFFFF;
  QPalette::ColorRole role;
  if (qGuiApp != nullptr && PaletteRole(c, role))
    return FromQRgb(QGuiApplication::palette().color(QPalette::Active, role).rgb());
  return ClassicSystemColor(c);
}

QRgb ToQRgb(TColor c) {
  const TColor v = ColorToRGB(c);
  return qRgb(static_cast<int>(v & 0xFF), static_cast<int>((v >> 8) & 0xFF),
              static_cast<int>((v >> 16) & 0xFF));
}

QColor ToQColor(TColor c) {
  return QColor(ToQRgb(c));
}
