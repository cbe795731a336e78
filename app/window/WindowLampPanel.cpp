// SPDX-License-Identifier: MIT
#include "window/WindowLampPanel.h"

#include <QLabel>

QColor ColourOf(portprov::LampColour colour) {
    const portprov::Rgb rgb = portprov::ToRgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void SetLampColour(QLabel* lamp, const QColor& colour) {
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::Window, colour);
    lamp->setPalette(palette);
    lamp->setAutoFillBackground(true);
}

QColor LampColourOf(const QLabel* lamp) {
    return lamp->palette().color(QPalette::Window);
}

WindowLampPanel::WindowLampPanel(const ControlArray<QLabel, 1, 9>& bitLamps,
                                 const ControlArray<QLabel, 1, 25>& pinLamps, QLabel* directionText)
    : bitLamps_(bitLamps), pinLamps_(pinLamps), directionText_(directionText) {}

void WindowLampPanel::setBitLamp(int index, portprov::LampColour colour) {
    // Element 9 is the row of bit numbers, never a lamp.
    if (index >= 1 && index <= 8)
        SetLampColour(bitLamps_[index], ColourOf(colour));
}

void WindowLampPanel::setPinLamp(int pin, portprov::LampColour colour) {
    if (pin >= 1 && pin <= 25)
        SetLampColour(pinLamps_[pin], ColourOf(colour));
}

void WindowLampPanel::showDirection(portprov::DataDirection direction) {
    directionText_->setText(QString::fromUtf8(
        direction == portprov::DataDirection::Read ? kReadModeText : kWriteModeText));
}
