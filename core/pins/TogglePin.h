// SPDX-License-Identifier: MIT
#pragma once

#include "connector/Connector.h"

#include <cstdint>
#include <string>

namespace portprov {

// What a click on a pin of the connector did to the parallel port at base.
struct PinToggle {
    enum class Outcome {
        Written,        // the pin's line now has the opposite level
        NotAnOutput,    // an input or ground pin: no port was touched
        DataLinesInput, // a data pin while control bit 5 has the lines turned to input
    };
    Outcome outcome = Outcome::NotAnOutput;
    Register reg = Register::Data; // the register written
    std::uint8_t written = 0;      // its new value
    std::uint8_t readBack = 0;     // the data register read back after the write
};

// Whether a click on the pin can set it: the data pins 2 to 9 and the
// control register's output pins 1, 14, 16 and 17.
constexpr bool IsSettablePin(int pin) {
    const auto line = PinOf(pin);
    return line &&
           (line->direction == LineDirection::Output || line->direction == LineDirection::Data);
}

// Sets the line of one output pin of the parallel port at base to the
// opposite level: reads its register, flips the pin's bit and writes the
// register back, holding the port for the three steps so that no other
// program comes between them. The register bit is flipped, not set, so the
// port's inverters on strobe, auto feed and select in need no special case:
// the level at the pin always turns round. A data pin is refused while the
// control register's bit 5 has turned the data lines to input (a write would
// only reach the latch, not the pin). Throws PortError when an access fails.
PinToggle TogglePin(int pin, std::uint16_t base);

// What a click that set pin did, for where the window cannot show it in its
// value display: the pin's level from value, the value now in its register
// at port, "Stift 4, D2: nu hög (888 = 4)."
std::string PinSetReport(int pin, std::uint16_t port, std::uint8_t value);

// Why a data pin cannot be set on the port at base.
std::string DataLinesInputMessage(std::uint16_t base);

} // namespace portprov
