// SPDX-License-Identifier: MIT
#pragma once

#include <QProxyStyle>

// Buttons with a flat face in their own button colour and a raised bevel, as
// the classic coloured command buttons looked, instead of a gradient: the
// light green and light orange then show as exactly those colours.
class ClassicButtonStyle : public QProxyStyle {
public:
    ClassicButtonStyle();

    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
};
