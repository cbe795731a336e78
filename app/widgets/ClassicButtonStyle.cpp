// SPDX-License-Identifier: MIT
#include "widgets/ClassicButtonStyle.h"

#include <QPainter>
#include <QStyleFactory>
#include <QStyleOption>
#include <qdrawutil.h>

ClassicButtonStyle::ClassicButtonStyle()
    : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}

void ClassicButtonStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                       QPainter* painter, const QWidget* widget) const {
    if (element == PE_PanelButtonCommand) {
        const bool pressed = option->state & (State_Sunken | State_On);
        const QBrush face = option->palette.button();
        qDrawWinButton(painter, option->rect, option->palette, pressed, &face);
        if (option->state & State_HasFocus) {
            // The dotted frame inside the bevel that shows the keyboard focus.
            painter->save();
            painter->setPen(QPen(option->palette.color(QPalette::ButtonText), 1, Qt::DotLine));
            painter->setBrush(Qt::NoBrush);
            painter->drawRect(option->rect.adjusted(4, 4, -5, -5));
            painter->restore();
        }
        return;
    }
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}
