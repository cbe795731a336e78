// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

// Enter (either key) on a button that has the focus clicks it, as on the
// desktop the program comes from; Space goes on working as before. Only the
// focused button answers: the window has no default button that Enter
// elsewhere would click. A held key clicks once.
class EnterClicksButton : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override;
};
