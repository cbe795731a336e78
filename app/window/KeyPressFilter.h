// SPDX-License-Identifier: MIT
#pragma once

#include <QObject>

#include <functional>

// Hands every character key typed in a widget to a key-press procedure as its
// character code (Enter is 13) and lets the key go on to the widget.
class KeyPressFilter : public QObject {
public:
    using Procedure = std::function<void(int keyAscii)>;

    KeyPressFilter(QObject* parent, Procedure procedure);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Procedure procedure_;
};
