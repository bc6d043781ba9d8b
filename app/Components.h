// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The window's 92 components in creation order: each container before the
// controls inside it. A component's index names its stored value, so the
// order must never change.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

enum class ComponentKind {
  Panel,
  GroupBox,
  Label,
  StaticText,
  CheckBox,
  RadioButton,
  UpDown,
  SpinEdit,
  SpeedButton,
  Bevel,
  PaintBox,
  PeakLedDisplay,
};

// Where a control sends its mouse moves and button releases.
enum class MouseWiring {
  None,
  Window,        // moves to GeneratorGroupMouseMove, releases to FormMouseUp
  MoveOnly,      // moves to GeneratorGroupMouseMove
  ScaleUpDown,   // releases to ScopeXWMouseUp
  RulerPaintBox, // the paint box's own handlers
};

// How a control presents itself to keyboard and screen-reader users.
struct ControlAccess {
  int TabOrder = 0;         // its place in the Tab walk, from 1; 0 for no Tab stop
  std::string_view Name;    // accessible name; empty: the toolkit's, from the caption
  std::string_view ToolTip; // one line: what it does, with its unit
};

struct ComponentSpec {
  int Index;
  std::string_view Name;
  ComponentKind Kind;
  int Parent; // index of the container, -1 for the window
  int Left, Top, Width, Height;
  std::string_view Caption;
  ControlAccess Access = {};
  int Min = 0, Max = 0;
  int Value = 0;     // design position, value or ticked state
  int MaxLength = 0; // spin edits: characters that can be typed
  MouseWiring Mouse = MouseWiring::Window;
};

inline constexpr int ComponentCount = 92;
// The window's client area, fixed.
inline constexpr int WindowClientWidth = 1016;
inline constexpr int WindowClientHeight = 724;
extern const std::array<ComponentSpec, ComponentCount> Components;

std::optional<int> ComponentIndex(std::string_view name);
