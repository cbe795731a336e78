// SPDX-License-Identifier: MIT
#include "window/WindowLampPanel.h"

#include "lamps/LampNames.h"

#include <QLabel>

namespace {

// What a lamp's colour tells, as the legend says it; nothing for a colour
// that no command sets.
QString StateOf(const QColor& colour) {
    const std::optional<portprov::LampColour> lamp = LampColourFor(colour);
    return lamp ? QString::fromStdString(portprov::LampStateName(*lamp)) : QString();
}

} // namespace

std::optional<portprov::LampColour> LampColourFor(const QColor& colour) {
    for (const portprov::LampColour lamp :
         {portprov::LampColour::Red, portprov::LampColour::White, portprov::LampColour::Black}) {
        if (ColourOf(lamp) == colour)
            return lamp;
    }
    return std::nullopt;
}

QColor ColourOf(portprov::LampColour colour) {
    const portprov::Rgb rgb = portprov::ToRgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

void SetLampColour(QLabel* lamp, const QColor& colour) {
    QPalette palette = lamp->palette();
    palette.setColor(QPalette::Window, colour);
    lamp->setPalette(palette);
    lamp->setAutoFillBackground(true);
    DescribeLamp(lamp);
}

void DescribeLamp(QLabel* lamp) {
    const QString name = lamp->accessibleName();
    const QString state = StateOf(LampColourOf(lamp));
    // A ground pin is named by its line, which is also all its lamp shows.
    if (state.isEmpty() || name.endsWith(QStringLiteral(", ") + state))
        lamp->setAccessibleDescription(name);
    else
        lamp->setAccessibleDescription(name + QStringLiteral(": ") + state);
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
