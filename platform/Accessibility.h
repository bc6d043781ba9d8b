#pragma once
// How the controls present themselves to assistive technology (screen readers
// over the accessibility bus): names, tooltips and the up-down's value.

class QString;
class QWidget;

// Gives a control its accessible name (an empty name keeps the one the
// toolkit takes from the caption) and its tooltip. The arrow buttons and the
// text field of an up-down or spin edit are named after it.
void DescribeControl(QWidget* control, const QString& name, const QString& toolTip);

// Lets assistive technology see an up-down as a spin box with a value. Any
// number of calls install it once.
void InstallControlAccessibility();
