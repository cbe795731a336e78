// SPDX-License-Identifier: MIT
#include "art/ConnectorDrawing.h"

#include "art/WindowColours.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

namespace connector {

namespace {

// The drawing keeps to the classic sixteen colours, smoothed by antialiasing.
const QColor kShellGrey(192, 192, 192);
const QColor kShellEdge(128, 128, 128);
const QColor kShellLight(232, 232, 232);
const QColor kFaceOlive(128, 128, 0);
const QColor kFaceEdge(64, 64, 0);
const QColor kContactDark(48, 48, 48);
const QColor kContactRim(160, 160, 160);
const QColor kTextNavy(0, 0, 128);

constexpr int kTopRowPins = 13;
constexpr int kLastPin = 25;

// Centre of the contact of a pin: the centre of its lamp.
QPointF ContactCentre(int pin) {
    const QPoint corner = LampTopLeft(pin);
    return {corner.x() + kLampSize / 2.0, corner.y() + kLampSize / 2.0};
}

void PaintShell(QPainter& painter) {
    // The teal of the window shows at the rounded corners and through the holes.
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(kDrawingSize)), kWindowTeal);

    const QRectF outer(0.5, 0.5, kDrawingSize.width() - 1.0, kDrawingSize.height() - 1.0);
    painter.setPen(QPen(kShellEdge, 1.0));
    painter.setBrush(kShellGrey);
    painter.drawRoundedRect(outer, 7.0, 7.0);

    // A light line just inside the edge gives the sheet metal a raised rim.
    painter.setPen(QPen(kShellLight, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(outer.adjusted(1.0, 1.0, -1.0, -1.0), 6.0, 6.0);
}

void PaintMountingHole(QPainter& painter, QPointF centre) {
    painter.setPen(QPen(kShellEdge, 1.0));
    painter.setBrush(kShellLight);
    painter.drawEllipse(centre, 5.5, 5.5);
    painter.setPen(QPen(kFaceEdge, 1.0));
    painter.setBrush(kWindowTeal);
    painter.drawEllipse(centre, 3.5, 3.5);
}

// The D-shaped face, wide at the top and narrowing downwards, with rounded
// corners: a trapezoid stroked with a wide round-joined pen of its own colour.
void PaintFace(QPainter& painter) {
    constexpr double kCornerRadius = 3.0;
    const QPolygonF inner({QPointF(16.0 + kCornerRadius, 3.5 + kCornerRadius),
                           QPointF(201.0 - kCornerRadius, 3.5 + kCornerRadius),
                           QPointF(193.0 - kCornerRadius, 47.5 - kCornerRadius),
                           QPointF(24.0 + kCornerRadius, 47.5 - kCornerRadius)});
    QPainterPath path;
    path.addPolygon(inner);
    path.closeSubpath();

    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(kFaceEdge, 2.0 * kCornerRadius + 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(path);
    painter.setPen(
        QPen(kFaceOlive, 2.0 * kCornerRadius, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(kFaceOlive);
    painter.drawPath(path);
}

// One contact: a dark socket a little larger than the lamp, so that the lamp
// square lies on it with a dark ring all round, lit along its lower edge.
void PaintContact(QPainter& painter, int pin) {
    constexpr double kHalf = kLampSize / 2.0 + 2.0;
    const QPointF centre = ContactCentre(pin);
    const QRectF socket(centre - QPointF(kHalf, kHalf), QSizeF(2 * kHalf, 2 * kHalf));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kContactRim);
    painter.drawRoundedRect(socket.translated(0.5, 0.5), 2.5, 2.5);
    painter.setBrush(kContactDark);
    painter.drawRoundedRect(socket, 2.5, 2.5);
}

QFont LabelFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(9);
    font.setBold(true);
    return font;
}

// Text centred vertically on a pin row, ending (or starting) a few pixels
// outside the contact at the end of the row.
void PaintRowEndLabels(QPainter& painter, int firstPin, int lastPin) {
    constexpr double kGap = 6.5; // from contact centre to the text box
    constexpr double kBoxWidth = 14.0;
    const QPointF first = ContactCentre(firstPin);
    const QPointF last = ContactCentre(lastPin);
    painter.drawText(QRectF(first.x() - kGap - kBoxWidth, first.y() - 5.0, kBoxWidth, 10.0),
                     Qt::AlignRight | Qt::AlignVCenter, QString::number(firstPin));
    painter.drawText(QRectF(last.x() + kGap, last.y() - 5.0, kBoxWidth, 10.0),
                     Qt::AlignLeft | Qt::AlignVCenter, QString::number(lastPin));
}

// A data line's name just above its contact in the top row.
void PaintLineLabel(QPainter& painter, int pin, const QString& name) {
    const QPointF centre = ContactCentre(pin);
    painter.drawText(QRectF(centre.x() - 8.0, 4.0, 16.0, 9.0), Qt::AlignHCenter | Qt::AlignBottom,
                     name);
}

} // namespace

QPoint LampTopLeft(int pin) {
    if (pin <= kTopRowPins) {
        return {34 + kPinPitch * (pin - 1), 14};
    }
    return {40 + kPinPitch * (pin - 14), 32};
}

void PaintConnector(QPainter& painter) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);

    PaintShell(painter);
    PaintMountingHole(painter, QPointF(8.5, 25.5));
    PaintMountingHole(painter, QPointF(208.5, 25.5));
    PaintFace(painter);
    for (int pin = 1; pin <= kLastPin; ++pin) {
        PaintContact(painter, pin);
    }

    painter.setFont(LabelFont());
    painter.setPen(kTextNavy);
    PaintRowEndLabels(painter, 1, kTopRowPins);
    PaintRowEndLabels(painter, kTopRowPins + 1, kLastPin);
    PaintLineLabel(painter, 2, QStringLiteral("D0"));
    PaintLineLabel(painter, 9, QStringLiteral("D7"));

    painter.restore();
}

} // namespace connector
