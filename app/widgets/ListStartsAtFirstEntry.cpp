// SPDX-License-Identifier: MIT
#include "widgets/ListStartsAtFirstEntry.h"

#include <QKeyEvent>
#include <QListWidget>

bool ListStartsAtFirstEntry::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* list = qobject_cast<QListWidget*>(watched);
    if (list == nullptr || list->count() == 0 || !list->selectedItems().isEmpty())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    switch (key->key()) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Home:
    case Qt::Key_PageUp:
        list->setCurrentRow(0);
        list->scrollToItem(list->item(0));
        return true;
    default:
        return false;
    }
}
