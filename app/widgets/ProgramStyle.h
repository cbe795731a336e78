// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>

// The program's look: Qt's Fusion style, the same on every desktop. Only the
// toolbar extension icons differ: they are read from their image file when
// first drawn instead of when asked for. A menu bar asks for one as it is
// built, for an overflow button that this fixed-size window never shows, and
// reading the file loads every image-format plugin of Qt at start-up.
class ProgramStyle : public QProxyStyle {
public:
    ProgramStyle();
    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};
