// SPDX-License-Identifier: MIT
#include "window/KeyPressFilter.h"

#include <QKeyEvent>

#include <utility>

namespace {

// Character code of a key, 0 for keys that type no character.
int KeyAscii(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Return || event.key() == Qt::Key_Enter)
        return 13;
    const QString text = event.text();
    return text.isEmpty() ? 0 : text.at(0).unicode();
}

} // namespace

KeyPressFilter::KeyPressFilter(QObject* parent, Procedure procedure)
    : QObject(parent), procedure_(std::move(procedure)) {}

bool KeyPressFilter::eventFilter(QObject* /*watched*/, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int keyAscii = KeyAscii(*static_cast<QKeyEvent*>(event));
        if (keyAscii != 0)
            procedure_(keyAscii);
    }
    return false;
}
