// SPDX-License-Identifier: MIT
#include "lamps/LampNames.h"

#include "connector/Connector.h"

#include <optional>

namespace portprov {

std::string BitLampName(int index) {
    return "Bit " + std::to_string(8 - index);
}

std::string PinLampName(int pin) {
    const std::optional<ConnectorPin> line = PinOf(pin);
    return "Stift " + std::to_string(pin) + ", " + (line ? line->name : "jord");
}

std::string LampStateName(LampColour colour) {
    switch (colour) {
    case LampColour::Red:
        return "hög";
    case LampColour::White:
        return "låg";
    case LampColour::Black:
        return "jord";
    }
    return {};
}

std::string PinToolTip(int pin, LampColour shown) {
    const std::optional<ConnectorPin> line = PinOf(pin);
    const std::string number = "Stift " + std::to_string(pin) + ": ";
    if (!line || line->direction == LineDirection::Ground)
        return number + "jord.";
    const bool output = line->direction != LineDirection::Input;
    const std::string level = shown == LampColour::Red     ? "hög (+5 volt)"
                              : shown == LampColour::White ? "låg (0 volt)"
                                                           : LampStateName(shown);
    return number + line->name + (output ? ", utgång" : ", ingång") +
           ". Senast visad nivå: " + level + "." +
           (output ? " Klicka för att byta nivå." : "");
}

} // namespace portprov
