// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The modal message box with one OK button. It runs a nested event loop, so
// device notifications keep being handled while it is shown.

#include <functional>

#include <QString>

class QWidget;

enum class MessageIcon { None, Warning };

void ShowMessageBox(QWidget* parent, const QString& text, const QString& caption, MessageIcon icon);

// Window tests replace the dialog with a recorder; the program never does.
using MessageBoxHook = std::function<void(const QString& text, const QString& caption)>;
void SetMessageBoxHook(MessageBoxHook hook);
