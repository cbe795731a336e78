// SPDX-License-Identifier: MIT
#include "widgets/BitNumbersLabel.h"

#include <QFontMetricsF>
#include <QPainter>

void BitNumbersLabel::setNumberCentres(const QList<qreal>& centres) {
    centres_ = centres;
    update();
}

QList<QRectF> BitNumbersLabel::numberRects() const {
    const QStringList numbers = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QList<QRectF> rects;
    if (numbers.size() != centres_.size())
        return rects;
    const QFontMetricsF metrics(font());
    for (qsizetype i = 0; i < numbers.size(); ++i) {
        const qreal width = metrics.horizontalAdvance(numbers.at(i));
        rects.append(QRectF(centres_.at(i) - width / 2, 0, width, metrics.height()));
    }
    return rects;
}

void BitNumbersLabel::paintEvent(QPaintEvent* event) {
    const QList<QRectF> rects = numberRects();
    if (rects.isEmpty()) {
        QLabel::paintEvent(event);
        return;
    }
    const QStringList numbers = text().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(foregroundRole()));
    for (qsizetype i = 0; i < numbers.size(); ++i)
        painter.drawText(rects.at(i), Qt::AlignCenter, numbers.at(i));
}
