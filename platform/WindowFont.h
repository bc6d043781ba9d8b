// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QFont>

// The window font: "MS Sans Serif" at 11 pixels where it exists, otherwise the
// closest sans font at the same pixel height, so the captions fit the sizes
// of the component table.
QFont WindowFont();
