// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

// For a list with nothing chosen: Down, Up, Home or Page Up chooses its first
// entry. Qt puts the focus frame on the first entry when the list is tabbed
// into, and would move on from there, so Down would choose the second.
class ListStartsAtFirstEntry : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override;
};
