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

} // namespace portprov
