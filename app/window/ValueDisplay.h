// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QLabel;

// The value display lblValue shows the byte last read, in decimal; a screen
// reader hears the same, after the display's name: "Läst värde: 170", or
// "Läst värde: inget" while it is empty.
void SetValueText(QLabel* display, const QString& text);
