// SPDX-License-Identifier: MIT
#pragma once

#include "lamps/LampPanel.h"
#include "window/ControlArray.h"

#include <QColor>

#include <optional>

class QLabel;

// The window's lamps for the core: bit lamps lblBin(1..8), pin lamps
// Lpt(1..25) and the direction text in Label5. A lamp is a label without text
// whose background colour is set.
class WindowLampPanel : public portprov::LampPanel {
public:
    WindowLampPanel(const ControlArray<QLabel, 1, 9>& bitLamps,
                    const ControlArray<QLabel, 1, 25>& pinLamps, QLabel* directionText);

    void setBitLamp(int index, portprov::LampColour colour) override;
    void setPinLamp(int pin, portprov::LampColour colour) override;
    void showDirection(portprov::DataDirection direction) override;

private:
    const ControlArray<QLabel, 1, 9>& bitLamps_;
    const ControlArray<QLabel, 1, 25>& pinLamps_;
    QLabel* directionText_;
};

using portprov::kReadModeText;
using portprov::kWriteModeText;

QColor ColourOf(portprov::LampColour colour);
// The lamp colour a colour is, if any.
std::optional<portprov::LampColour> LampColourFor(const QColor& colour);
// Colours a lamp; its accessible description follows ("Bit 7: hög").
void SetLampColour(QLabel* lamp, const QColor& colour);
// Tells a screen reader the lamp's name and what its colour shows.
void DescribeLamp(QLabel* lamp);
QColor LampColourOf(const QLabel* lamp);
