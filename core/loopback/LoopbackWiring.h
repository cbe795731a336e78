// SPDX-License-Identifier: MIT
#pragma once

#include "connector/Connector.h"
#include "connector/LoopbackPlug.h"
#include "loopback/Plugs.h"

#include <cstdint>
#include <span>

namespace portprov {

// One wire of a loopback plug: from an output pin (a data or control line)
// to a status input pin, with the connector's facts of both ends.
struct LoopbackWire {
    int outputPin;
    const char* outputSignal;
    Register outputRegister; // Data or Control
    int outputBit;
    int inputPin;
    const char* inputSignal;
    int statusBit;
};

// Control bits the test may set while it runs: the four output lines. The
// interrupt enable and the data direction stay clear (the data lines must drive).
inline constexpr std::uint8_t kControlOutputBits = kControlOutputLines;

// The wires of a plug, in the order of its pin pairs in kPlugs.
std::span<const LoopbackWire> WiringOf(LoopbackPlug plug);

// The level (true = high) of a wire's output pin with these register contents.
bool OutputPinLevel(const LoopbackWire& wire, std::uint8_t data, std::uint8_t control);
// Sets the register bit that puts a wire's output pin at a level.
void DriveOutputPin(const LoopbackWire& wire, bool high, std::uint8_t& data, std::uint8_t& control);
// The level of a wire's input pin read from the status register.
bool InputPinLevel(const LoopbackWire& wire, std::uint8_t status);

} // namespace portprov
