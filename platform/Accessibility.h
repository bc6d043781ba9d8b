// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How the controls present themselves to assistive technology (screen readers
// over the accessibility bus): names, tooltips, roles and the values shown.

#include <functional>

#include <QAccessible>

class QString;
class QWidget;

// Gives a control its accessible name (an empty name keeps the one the
// toolkit takes from the caption) and its tooltip. The arrow buttons and the
// text field of an up-down or spin edit are named after it.
void DescribeControl(QWidget* control, const QString& name, const QString& toolTip);

// What assistive technology reads as a control's value: the text the screen
// shows for it, with its unit, and for a level also the number in a range.
struct ShownValue {
  std::function<QString()> Text;
  std::function<double()> Number; // empty: the value is only the text
  double Minimum = 0, Maximum = 0;
};

// A value that is only the text shown.
ShownValue ShownText(std::function<QString()> text);

// A readout or level presents itself with the role and the value given; an
// up-down keeps its own role and numbers and reads out the text given, the
// caption of the label beside it.
void PresentValue(QWidget* control, QAccessible::Role role, ShownValue value);

// Tells assistive technology that the value a control shows changed, at most
// once a second for each control: a value that follows every block would
// otherwise be read out without pause.
void ReportValueChange(QWidget* control);

// Installs how the program's own controls present themselves: an up-down or
// spin edit as a spin button, a toggling button as a toggle button, a plain
// top-level widget as a window, and the values given by PresentValue. Any
// number of calls install it once.
void InstallControlAccessibility();
