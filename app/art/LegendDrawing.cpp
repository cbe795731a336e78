// SPDX-License-Identifier: MIT
#include "art/LegendDrawing.h"

#include "art/WindowColours.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QString>

#include <array>
#include <cmath>

namespace legend {

namespace {

struct Row {
    QColor colour;
    const char* text;
};

const std::array<Row, 3> kRows{{
    {QColor(255, 0, 0), "= Hög  + 5 volt"},
    {QColor(255, 255, 255), "= Låg  0  volt"},
    {QColor(0, 0, 0), "= Jord / Minus"},
}};

constexpr double kRowHeight = 19.0;
constexpr double kSquareLeft = 3.0;
constexpr double kSquareSize = 11.0;
constexpr double kTextLeft = 18.0;
constexpr int kLargestPixelSize = 12;
constexpr int kSmallestPixelSize = 7;

QFont BoldSans(int pixelSize) {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setBold(true);
    font.setPixelSize(pixelSize);
    return font;
}

// The largest bold font in which every row's text fits whole between its
// square and the right edge, whichever sans-serif the system supplies.
QFont FittingFont() {
    const double room = kDrawingSize.width() - kTextLeft - 1.0;
    for (int size = kLargestPixelSize; size > kSmallestPixelSize; --size) {
        const QFont font = BoldSans(size);
        const QFontMetricsF metrics(font);
        bool fits = true;
        for (const Row& row : kRows) {
            fits = fits && metrics.horizontalAdvance(QString::fromUtf8(row.text)) <= room;
        }
        if (fits) {
            return font;
        }
    }
    return BoldSans(kSmallestPixelSize);
}

} // namespace

void PaintLegend(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(kDrawingSize)), kWindowTeal);
    painter.setFont(FittingFont());

    const double top = (kDrawingSize.height() - kRowHeight * kRows.size()) / 2.0;
    for (std::size_t i = 0; i < kRows.size(); ++i) {
        const double rowTop = top + kRowHeight * static_cast<double>(i);
        const double squareTop = rowTop + (kRowHeight - kSquareSize) / 2.0;
        // Pixel-aligned squares with a hairline black edge, so the white one
        // stands out on the teal too.
        const QRectF square(kSquareLeft, std::round(squareTop), kSquareSize, kSquareSize);
        painter.setPen(Qt::NoPen);
        painter.fillRect(square, Qt::black);
        painter.fillRect(square.adjusted(1.0, 1.0, -1.0, -1.0), kRows[i].colour);

        painter.setPen(Qt::black);
        painter.drawText(QRectF(kTextLeft, rowTop, kDrawingSize.width() - kTextLeft, kRowHeight),
                         Qt::AlignLeft | Qt::AlignVCenter, QString::fromUtf8(kRows[i].text));
    }
    painter.restore();
}

} // namespace legend
