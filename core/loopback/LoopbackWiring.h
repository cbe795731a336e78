// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/LoopbackPlug.h"
#include "ports/ParallelPortRegisters.h"

#include <cstdint>
#include <span>

namespace portprov {

// The register whose bit drives an output pin.
enum class OutputRegister { Data, Control };

// One wire of a loopback plug: from an output pin to a status input pin.
struct LoopbackWire {
    int outputPin;
    const char* outputSignal;
    OutputRegister outputRegister;
    int outputBit;
    int inputPin;
    const char* inputSignal;
    int statusBit;
};

// Control bits the test leaves clear while it runs: the interrupt enable
// (bit 4) and the data direction (bit 5, the data lines must drive).
inline constexpr std::uint8_t kControlOutputBits = 0b0000'1111;

// The five wires of a plug, in the order the plug's pin pairs are named.
std::span<const LoopbackWire> WiringOf(LoopbackPlug plug);

// The level (true = high) of a wire's output pin with these register contents.
bool OutputPinLevel(const LoopbackWire& wire, std::uint8_t data, std::uint8_t control);
// Sets the register bit that puts a wire's output pin at a level.
void DriveOutputPin(const LoopbackWire& wire, bool high, std::uint8_t& data, std::uint8_t& control);
// The level of a wire's input pin read from the status register.
bool InputPinLevel(const LoopbackWire& wire, std::uint8_t status);

} // namespace portprov
