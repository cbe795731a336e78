// SPDX-License-Identifier: MIT
#include "widgets/EnterClicksButton.h"

#include <QAbstractButton>
#include <QKeyEvent>

bool EnterClicksButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr || !button->hasFocus() || !button->isEnabled())
        return false;
    if (!key->isAutoRepeat())
        button->click();
    return true;
}
