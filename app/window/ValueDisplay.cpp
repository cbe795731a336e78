// SPDX-License-Identifier: MIT
#include "window/ValueDisplay.h"

#include <QLabel>

void SetValueText(QLabel* display, const QString& text) {
    const QString description = display->accessibleName() + QStringLiteral(": ") +
                                (text.isEmpty() ? QStringLiteral("inget") : text);
    // A screen reader hears of a value only when it is new (continuous
    // reading shows the same byte many times a second).
    if (display->text() == text && display->accessibleDescription() == description)
        return;
    display->setText(text);
    display->setAccessibleDescription(description);
}
