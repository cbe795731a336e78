// SPDX-License-Identifier: MIT
// The connector's pins as switches: a click on an output pin's lamp, or Space
// on the pin the arrow keys chose, turns that one line to the opposite level
// on the port the connector shows, and the window shows the register's new
// value as the write commands do, with the register's address in the
// address box, so that the address and the value beside it belong together.
#include "window/frmPortCom.h"

#include "art/ConnectorPicture.h"
#include "pins/TogglePin.h"
#include "window/ValueDisplay.h"

#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QToolTip>

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
        const bool dataPin = toggle.reg == portprov::Register::Data;
        const auto port = static_cast<std::uint16_t>(
            connectorBase_ + (dataPin ? portprov::kDataOffset : portprov::kControlOffset));
        // The data register is read back, as the write command does; the
        // control register shows the value written, as its own command
        // shows it (many ports read its bits 6 and 7 as 1).
        const std::uint8_t value = dataPin ? toggle.readBack : toggle.written;
        if (tmrLive->isActive()) {
            ShowClickWhileLive(index, port, value);
            return;
        }
        ShowOnLamps(toggle.written, toggle.reg);
        Text1->setText(QString::number(port));
        SetValueText(lblValue, QString::number(value));
    });
}

// During continuous reading the address box, the value display and the bit
// lamps belong to the address read, and the next tick paints them again
// within 50 ms. So a click leaves them to it, and tells what it did in a
// tooltip at its pin instead, together with the pin's own tooltip. Where the
// reading shows the status register on pins 2 to 9, a data pin's lamp is
// not painted with the data register for a blink: the tooltip says which
// register the lamp shows. The click still sets the line: with a loopback
// plug, setting data pins while the status register is read is how a line is
// followed through the plug.
void frmPortCom::ShowClickWhileLive(int pin, std::uint16_t port, std::uint8_t value) {
    const portprov::Register written = portprov::PinOf(pin)->reg;
    if (written != portprov::Register::Data || PinRuleFor(livePort_) != portprov::Register::Status)
        ShowOnPins(value, written);
    const QRect lamp = Lpt[pin]->geometry();
    QToolTip::showText(Picture1->mapToGlobal(lamp.center()),
                       QString::fromStdString(portprov::PinSetReport(pin, port, value)) +
                           QLatin1Char('\n') + PinToolTip(pin),
                       Picture1, lamp.adjusted(-4, -4, 4, 4));
}
