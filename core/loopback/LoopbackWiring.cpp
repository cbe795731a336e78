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

// The two ends of a wire.
struct Output {
    int pin;
    const char* signal;
    OutputRegister reg;
    int bit;
};
struct Input {
    int pin;
    const char* signal;
    int statusBit;
};

constexpr LoopbackWire Wire(Output from, Input to) {
    return {from.pin, from.signal, from.reg, from.bit, to.pin, to.signal, to.statusBit};
}

constexpr Output kStrobe{1, "Strobe", OutputRegister::Control, 0};
constexpr Output kAutoFeed{14, "Auto Feed", OutputRegister::Control, 1};
constexpr Output kInit{16, "Init", OutputRegister::Control, 2};
constexpr Output kSelectIn{17, "Select In", OutputRegister::Control, 3};
constexpr std::array<Output, 5> kData{{
    {2, "D0", OutputRegister::Data, 0},
    {3, "D1", OutputRegister::Data, 1},
    {4, "D2", OutputRegister::Data, 2},
    {5, "D3", OutputRegister::Data, 3},
    {6, "D4", OutputRegister::Data, 4},
}};

constexpr Input kAck{10, "Ack", 6};
constexpr Input kBusy{11, "Busy", 7};
constexpr Input kPaperEnd{12, "Paper End", 5};
constexpr Input kSelect{13, "Select", 4};
constexpr Input kError{15, "Error", 3};

constexpr std::array<LoopbackWire, 5> kControlLoop{
    Wire(kStrobe, kSelect), Wire(kData[0], kError), Wire(kAutoFeed, kPaperEnd),
    Wire(kInit, kAck),      Wire(kSelectIn, kBusy),
};

constexpr std::array<LoopbackWire, 5> kDataLoop{
    Wire(kData[0], kError), Wire(kData[1], kSelect), Wire(kData[2], kPaperEnd),
    Wire(kData[3], kAck),   Wire(kData[4], kBusy),
};

bool OutputInverted(const LoopbackWire& wire) {
    return wire.outputRegister == OutputRegister::Control &&
           HasBit(kControlLinesInverted, wire.outputBit);
}

} // namespace

std::span<const LoopbackWire> WiringOf(LoopbackPlug plug) {
    return plug == LoopbackPlug::Control ? std::span<const LoopbackWire>(kControlLoop)
                                         : std::span<const LoopbackWire>(kDataLoop);
}

bool OutputPinLevel(const LoopbackWire& wire, std::uint8_t data, std::uint8_t control) {
    const std::uint8_t reg = wire.outputRegister == OutputRegister::Data ? data : control;
    return HasBit(reg, wire.outputBit) != OutputInverted(wire);
}

void DriveOutputPin(const LoopbackWire& wire, bool high, std::uint8_t& data,
                    std::uint8_t& control) {
    std::uint8_t& reg = wire.outputRegister == OutputRegister::Data ? data : control;
    SetBit(reg, wire.outputBit, high != OutputInverted(wire));
}

bool InputPinLevel(const LoopbackWire& wire, std::uint8_t status) {
    return HasBit(status, wire.statusBit) != HasBit(kStatusLinesInverted, wire.statusBit);
}

} // namespace portprov
