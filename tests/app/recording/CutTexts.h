// SPDX-License-Identifier: MIT
// Whether a dialog gives each of its texts the room it asks for.
#pragma once

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLayout>
#include <QStringList>
#include <QWidget>

// The names of the dialog's texts that do not get the room they ask for.
inline QStringList CutTexts(QWidget* dialog) {
    // As a user sees it, once the layouts have settled. A changed text posts
    // a layout request to its box, whose new size posts one to the box around
    // it, and so on up to the dialog, each when the one below is handled:
    // however far the event loop had got up that chain, every layout is
    // activated until none has anything left to do.
    for (bool changed = true; changed;) {
        changed = false;
        for (QLayout* layout : dialog->findChildren<QLayout*>())
            changed = layout->activate() || changed;
    }
    QStringList cut;
    for (QWidget* widget : dialog->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(dialog))
            continue;
        QSize needed = widget->sizeHint();
        if (const auto* label = qobject_cast<QLabel*>(widget); label && label->wordWrap())
            needed = {0, label->heightForWidth(label->width())};
        else if (qobject_cast<QGroupBox*>(widget))
            needed = widget->minimumSizeHint();
        else if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QAbstractButton*>(widget) &&
                 !qobject_cast<QComboBox*>(widget) && !qobject_cast<QAbstractSpinBox*>(widget))
            continue;
        if (widget->width() < needed.width() || widget->height() < needed.height())
            cut << widget->objectName() + widget->property("text").toString() +
                       widget->property("title").toString();
    }
    return cut;
}
