// SPDX-License-Identifier: MIT
#include "window/ValueDisplay.h"

#include <QLabel>

void SetValueText(QLabel* display, const QString& text) {
    display->setText(text);
    display->setAccessibleDescription(display->accessibleName() + QStringLiteral(": ") +
                                      (text.isEmpty() ? QStringLiteral("inget") : text));
}
