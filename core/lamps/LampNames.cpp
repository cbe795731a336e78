// SPDX-License-Identifier: MIT
#include "lamps/LampNames.h"

#include <array>

namespace portprov {

namespace {

// The lines of the connector's pins 1 to 17; pins 18 to 25 are ground.
constexpr std::array<const char*, 18> kPinLines{
    "",   "Strobe", "D0",   "D1",          "D2",     "D3",       "D4",  "D5",   "D6",
    "D7", "Ack",    "Busy", "Papper slut", "Select", "Autofeed", "Fel", "Init", "Select In"};

} // namespace

std::string BitLampName(int index) {
    return "Bit " + std::to_string(8 - index);
}

std::string PinLampName(int pin) {
    const std::string line =
        pin >= 1 && pin < static_cast<int>(kPinLines.size()) ? kPinLines[pin] : "jord";
    return "Stift " + std::to_string(pin) + ", " + line;
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
