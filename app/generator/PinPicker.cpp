// SPDX-License-Identifier: MIT
#include "generator/PinPicker.h"

#include "art/ConnectorDrawing.h"
#include "connector/Connector.h"
#include "generating/Waveform.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

namespace {

constexpr int kFirstPin = 1;
constexpr int kLastPin = 25;
// The contact a click hits: a pin's pitch wide, and tall enough to take in
// the lamp and the metal around it, as on the window's connector.
constexpr int kContactWidth = connector::kPinPitch;
constexpr int kContactHeight = 16;
// A chosen pin's lamp stands out by its colour and by a ring around it.
const QColor kChosenLamp(255, 0, 0);
const QColor kChoosableLamp(255, 255, 255);
const QColor kOtherLamp(128, 128, 128);

} // namespace

PinPicker::PinPicker(QWidget* parent) : ConnectorPicture(parent) {
    // The list beside the drawing is the keyboard's way to choose.
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(connector::kDrawingSize + QSize(2 * frameWidth(), 2 * frameWidth()));
    setCursor(Qt::PointingHandCursor);
}

void PinPicker::setChosen(int pin, bool chosen) {
    if (!portprov::IsGeneratorPin(pin))
        return;
    if (chosen)
        chosen_.insert(pin);
    else
        chosen_.erase(pin);
    update();
}

QPoint PinPicker::pinCentre(int pin) const {
    return lampTopLeft(pin) + QPoint(connector::kLampSize / 2, connector::kLampSize / 2);
}

int PinPicker::pinAt(const QPoint& point) const {
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        QRect contact(0, 0, kContactWidth, kContactHeight);
        contact.moveCenter(pinCentre(pin));
        if (contact.contains(point))
            return pin;
    }
    return 0;
}

bool PinPicker::event(QEvent* event) {
    if (event->type() != QEvent::ToolTip)
        return ConnectorPicture::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const int pin = pinAt(help->pos());
    if (pin == 0) {
        QToolTip::hideText();
        return true;
    }
    QString text =
        QStringLiteral("Stift %1 (%2)").arg(pin).arg(QString::fromUtf8(portprov::PinOf(pin)->name));
    if (!portprov::IsGeneratorPin(pin))
        text += QString::fromUtf8(": ingen utgång");
    QToolTip::showText(help->globalPos(), text, this);
    return true;
}

void PinPicker::paintEvent(QPaintEvent* event) {
    ConnectorPicture::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int pin = kFirstPin; pin <= kLastPin; ++pin) {
        const QRect lamp(lampTopLeft(pin), QSize(connector::kLampSize, connector::kLampSize));
        const bool chosen = chosen_.contains(pin);
        const QColor face = chosen                          ? kChosenLamp
                            : portprov::IsGeneratorPin(pin) ? kChoosableLamp
                                                            : kOtherLamp;
        painter.fillRect(lamp, face);
        painter.setPen(Qt::black);
        painter.drawRect(lamp);
        if (chosen) {
            painter.setPen(QPen(Qt::yellow, 2));
            painter.drawEllipse(QRectF(lamp).adjusted(-3, -3, 3, 3));
        }
    }
}

void PinPicker::mousePressEvent(QMouseEvent* event) {
    const int pin = pinAt(event->position().toPoint());
    if (event->button() != Qt::LeftButton || !portprov::IsGeneratorPin(pin)) {
        ConnectorPicture::mousePressEvent(event);
        return;
    }
    const bool chosen = !chosen_.contains(pin);
    setChosen(pin, chosen);
    if (toggled)
        toggled(pin, chosen);
}
