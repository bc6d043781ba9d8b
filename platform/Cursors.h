// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's cursor table. Number 0 is the default arrow, -14 the
// horizontal-split arrows; the program loads its own cursors under 1, 2, 3.

#include <QString>

inline constexpr int crDefault = 0;
inline constexpr int crHSplit = -14;

// Loads the cursor image ":/cursors/<name>.xpm" with its hot spot under number.
bool LoadCursorResource(int number, const QString& name, int hotX, int hotY);
bool HasCursor(int number);
// Sets the application-wide cursor; 0 gives every widget its own cursor back.
void SetScreenCursor(int number);
int ScreenCursor();
