// SPDX-License-Identifier: MIT
// What the connector's lamps show, kept beside the lamps for the pins'
// tooltips: a lamp's colour alone cannot tell a lamp nothing has painted
// from a low line, nor a data pin from the status bit the window's rule
// shows on it. And the input pins' lamps are never painted at all, so their
// tooltips give the level of the status register as last read.
#include "window/frmPortCom.h"

#include "lamps/BinaryPattern.h"
#include "lamps/ByteLamps.h"
#include "lamps/LampNames.h"
#include "window/WindowLampPanel.h"

#include <QLabel>

#include <string>

void frmPortCom::ShowOnLamps(std::uint8_t byte, std::optional<portprov::Register> rule) {
    portprov::ShowByteOnLamps(*lamps_, byte, rule);
    if (rule == portprov::Register::Control)
        pinsShown_.controlPins = true;
    else if (rule)
        pinsShown_.dataPins = rule;
}

void frmPortCom::ShowOnPins(std::uint8_t byte, portprov::Register rule) {
    const std::string pattern = portprov::EightPlacePattern(byte);
    for (int position = 1; position <= 8; ++position)
        portprov::ApplyPinRule(rule, position, pattern[static_cast<std::size_t>(position - 1)],
                               *lamps_);
    if (rule == portprov::Register::Control)
        pinsShown_.controlPins = true;
    else
        pinsShown_.dataPins = rule;
}

void frmPortCom::NoteRead(std::uint16_t port, std::uint8_t byte) {
    if (PinRuleFor(port) == portprov::Register::Status)
        statusRead_[static_cast<std::uint16_t>(port - portprov::kStatusOffset)] = byte;
}

QString frmPortCom::PinToolTip(int pin) const {
    portprov::PinKnowledge known;
    known.base = connectorBase_;
    known.dataPinsShow = pinsShown_.dataPins.value_or(portprov::Register::Data);
    const std::optional<portprov::ConnectorPin> line = portprov::PinOf(pin);
    const bool painted = line && line->direction != portprov::LineDirection::Ground &&
                         (line->reg == portprov::Register::Control ? pinsShown_.controlPins
                          : line->reg == portprov::Register::Data  ? pinsShown_.dataPins.has_value()
                                                                   : false);
    if (painted)
        known.lamp = LampColourFor(LampColourOf(Lpt[pin]));
    if (const auto read = statusRead_.find(connectorBase_); read != statusRead_.end())
        known.status = read->second;
    return QString::fromStdString(portprov::PinToolTip(pin, known));
}
