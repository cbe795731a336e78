// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

#include <functional>

class QWidget;

// Every message of the window goes through one of these: a modal box with the
// program's title "Portprov" and an OK button only. Tests put their own in its
// place to see the message without a modal loop.
using ShowMessage = std::function<void(QWidget* parent, const QString& text)>;

inline constexpr const char* kMessageTitle = "Portprov";

void ShowMessageBox(QWidget* parent, const QString& text);
