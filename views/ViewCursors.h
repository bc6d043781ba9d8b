// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The program's own cursors, by their numbers in the application's cursor
// table: the cross-hairs over the display, the open hand over the
// oscilloscope, the grip on a trace held.

inline constexpr int crCrossHairs = 1, crOpenHand = 2, crGrip = 3;
