// SPDX-License-Identifier: MIT
#include "loopback/LoopbackWiring.h"

#include "loopback/Plugs.h"

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

using Wiring = std::array<LoopbackWire, std::tuple_size_v<decltype(Plug::pins)>>;

// Each plug's wires, in the order of the plugs' table.
constexpr std::array<Wiring, kPlugs.size()> WiringsOfThePlugs() {
    std::array<Wiring, kPlugs.size()> wirings{};
    for (std::size_t plug = 0; plug < kPlugs.size(); ++plug) {
        for (std::size_t i = 0; i < wirings[plug].size(); ++i)
            wirings[plug][i] = Wire(kPlugs[plug].pins[i].output, kPlugs[plug].pins[i].input);
    }
    return wirings;
}

constexpr std::array<Wiring, kPlugs.size()> kWirings = WiringsOfThePlugs();

bool OutputInverted(const LoopbackWire& wire) {
    return HasBit(InvertedLinesOf(wire.outputRegister), wire.outputBit);
}

} // namespace

std::span<const LoopbackWire> WiringOf(LoopbackPlug plug) {
    return kWirings[IndexOf(plug)];
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
