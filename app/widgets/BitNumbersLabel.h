// SPDX-License-Identifier: MIT
#pragma once

#include <QLabel>
#include <QList>

// The row of bit numbers under the bit lamps, "7    6    5 ...": each number
// is painted centred under its lamp, whatever the widths of the font, while
// text() stays the exact string.
class BitNumbersLabel : public QLabel {
public:
    using QLabel::QLabel;

    // Horizontal centres, in this label's coordinates, of the lamps the
    // numbers stand under, left to right.
    void setNumberCentres(const QList<qreal>& centres);
    // Where each number is painted.
    QList<QRectF> numberRects() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<qreal> centres_;
};
