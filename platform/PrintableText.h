// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Text that comes from elsewhere (a device's description, a name the sound
// server or the settings file gives) as it may be shown: literally, never
// acting on the terminal, nor on a menu entry's shortcut.

#include <string>
#include <string_view>

#include <QString>

// For the terminal: control characters (C0, DEL, and C1 as U+0080..U+009F)
// as \xNN and \u00NN, and bytes that are no UTF-8 as \xNN, so that an escape
// sequence is printed as its characters rather than obeyed. Any thread.
std::string TerminalText(std::string_view text);

// For a menu entry: '&' doubled, so that it shows instead of underlining the
// next letter as a shortcut.
QString MenuText(const QString& text);
