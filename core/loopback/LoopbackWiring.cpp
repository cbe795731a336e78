// SPDX-License-Identifier: MIT
#include "loopback/LoopbackWiring.h"

#include <array>

namespace portprov {

namespace {

constexpr bool HasBit(std::uint8_t byte, int bit) {
    return ((byte >> bit) & 1u) != 0;
}

constexpr void SetBit(std::uint8_t& byte, int bit, bool one) {
    const auto mask = static_cast<std::uint8_t>(1u << bit);
    byte = static_cast<std::uint8_t>(one ? (byte | mask) : (byte & ~mask));
}

// The wire from output pin `from` to input pin `to`, from the connector's table.
constexpr LoopbackWire Wire(int from, int to) {
    const ConnectorPin output = *PinOf(from);
    const ConnectorPin input = *PinOf(to);
    return {output.pin, output.name, output.reg, output.bit, input.pin, input.name, input.bit};
}

constexpr std::array<LoopbackWire, 5> kControlLoop{
    Wire(1, 13), Wire(2, 15), Wire(14, 12), Wire(16, 10), Wire(17, 11),
};

constexpr std::array<LoopbackWire, 5> kDataLoop{
    Wire(2, 15), Wire(3, 13), Wire(4, 12), Wire(5, 10), Wire(6, 11),
};

bool OutputInverted(const LoopbackWire& wire) {
    return HasBit(InvertedLinesOf(wire.outputRegister), wire.outputBit);
}

} // namespace

std::span<const LoopbackWire> WiringOf(LoopbackPlug plug) {
    return plug == LoopbackPlug::Control ? std::span<const LoopbackWire>(kControlLoop)
                                         : std::span<const LoopbackWire>(kDataLoop);
}

bool OutputPinLevel(const LoopbackWire& wire, std::uint8_t data, std::uint8_t control) {
    const std::uint8_t reg = wire.outputRegister == Register::Data ? data : control;
    return HasBit(reg, wire.outputBit) != OutputInverted(wire);
}

void DriveOutputPin(const LoopbackWire& wire, bool high, std::uint8_t& data,
                    std::uint8_t& control) {
    std::uint8_t& reg = wire.outputRegister == Register::Data ? data : control;
    SetBit(reg, wire.outputBit, high != OutputInverted(wire));
}

bool InputPinLevel(const LoopbackWire& wire, std::uint8_t status) {
    return HasBit(status, wire.statusBit) !=
           HasBit(InvertedLinesOf(Register::Status), wire.statusBit);
}

} // namespace portprov
