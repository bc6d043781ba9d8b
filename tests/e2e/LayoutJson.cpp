// SPDX-License-Identifier: GPL-3.0-or-later
// Prints the window's size, its drawing areas (views/Geometry.h) and its
// component table (app/Components.cpp) as JSON, so that the end-to-end tests
// find every control and view where the program puts it.

#include <cstdio>
#include <string>
#include <string_view>

#include "app/Components.h"
#include "views/Geometry.h"

namespace {

const char* KindName(ComponentKind kind) {
  switch (kind) {
  case ComponentKind::Panel:
    return "Panel";
  case ComponentKind::GroupBox:
    return "GroupBox";
  case ComponentKind::Label:
    return "Label";
  case ComponentKind::StaticText:
    return "StaticText";
  case ComponentKind::CheckBox:
    return "CheckBox";
  case ComponentKind::RadioButton:
    return "RadioButton";
  case ComponentKind::UpDown:
    return "UpDown";
  case ComponentKind::SpinEdit:
    return "SpinEdit";
  case ComponentKind::SpeedButton:
    return "SpeedButton";
  case ComponentKind::Bevel:
    return "Bevel";
  case ComponentKind::PaintBox:
    return "PaintBox";
  case ComponentKind::PeakLedDisplay:
    return "PeakLedDisplay";
  }
  return "";
}

std::string Quoted(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') quoted += '\\';
    quoted += c;
  }
  return quoted + '"';
}

void PrintArea(const char* name, const Geometry::Area& a) {
  std::printf("\"%s\": [%d, %d, %d, %d], ", name, a.Left, a.Top, a.Width, a.Height);
}

} // namespace

int main() {
  std::printf("{\"width\": %d, \"height\": %d, ", WindowClientWidth, WindowClientHeight);
  PrintArea("display", Geometry::Display);
  PrintArea("scope", Geometry::Scope);
  std::printf("\"components\": [\n");
  for (const ComponentSpec& c : Components) {
    std::printf("  {\"index\": %d, \"name\": %s, \"kind\": \"%s\", \"parent\": %d, \"left\": %d, "
                "\"top\": %d, \"width\": %d, \"height\": %d, \"caption\": %s}%s\n",
                c.Index, Quoted(c.Name).c_str(), KindName(c.Kind), c.Parent, c.Left, c.Top, c.Width,
                c.Height, Quoted(c.Caption).c_str(), c.Index + 1 < ComponentCount ? "," : "");
  }
  std::printf("]}\n");
  return 0;
}
