// SPDX-License-Identifier: MIT
// The connector's pins as switches: a click on an output pin's lamp, or Space
// on the pin the arrow keys chose, turns that one line to the opposite level
// on the port the connector shows, and the window shows the register's new
// value as the write commands do.
#include "window/frmPortCom.h"

#include "lamps/ByteLamps.h"
#include "lamps/LampNames.h"
#include "pins/TogglePin.h"
#include "window/ValueDisplay.h"
#include "window/WindowLampPanel.h"

#include <QLabel>

void frmPortCom::Lpt_Click(int index) {
    // Input and ground pins: nothing to set, and no port is touched.
    if (!portprov::IsSettablePin(index))
        return;
    RunPortCommand([&] {
        const portprov::PinToggle toggle = portprov::TogglePin(index, connectorBase_);
        switch (toggle.outcome) {
        case portprov::PinToggle::Outcome::DataLinesInput:
            ShowMessage(QString::fromStdString(portprov::DataLinesInputMessage(connectorBase_)));
            return;
        case portprov::PinToggle::Outcome::NotAnOutput:
            return;
        case portprov::PinToggle::Outcome::Written:
            break;
        }
        portprov::ShowByteOnLamps(*lamps_, toggle.written, toggle.reg);
        // The data register is read back, as the write command does; the
        // control register shows the value written, as its own command
        // shows it (many ports read its bits 6 and 7 as 1).
        SetValueText(lblValue, QString::number(toggle.reg == portprov::Register::Data
                                                   ? toggle.readBack
                                                   : toggle.written));
    });
}

QString frmPortCom::PinToolTip(int pin) const {
    const portprov::LampColour shown =
        LampColourFor(LampColourOf(Lpt[pin])).value_or(portprov::LampColour::White);
    return QString::fromStdString(portprov::PinToolTip(pin, shown));
}
