// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colour and font colour of any control, kept as the TColor the program set
// (so a test like "is the box clBtnFace" compares what was set, not pixels).

#include "platform/Colors.h"

class QWidget;

// Colours the control itself: an edit's text field, a group box's surface
// (not the controls inside it), any other control's background.
void SetColor(QWidget* control, TColor color);
TColor ColorOf(const QWidget* control); // clBtnFace until set
void SetFontColor(QWidget* control, TColor color);
TColor FontColorOf(const QWidget* control); // clWindowText until set
// Makes a label inside a group box paint its own background, in the box's
// colour and following it: a new text then repaints the label alone, not the
// box behind it.
void FillLikeContainer(QWidget* control);
