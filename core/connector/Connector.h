// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>

// The parallel port's 25-pin connector (DB-25, as on a PC): which register
// bit each pin's line belongs to, whether its level at the pin is the
// opposite of its bit, which way it goes, and its Swedish name. Everything
// in the program that speaks of pins reads from here: the pin rules of the
// window, the loopback plugs, the ppdev backend, the read report and the
// names a screen reader hears.
namespace portprov {

// The three registers of a parallel port, at its base and the two after it.
enum class Register { Data, Status, Control };

// Which way a line goes, seen from the PC.
enum class LineDirection {
    Output, // the PC drives it
    Input,  // the device drives it; the PC only reads it
    Data,   // D0 to D7: driven by the PC, or read when control bit 5 turns them round
    Ground,
};

// The bits of the control register.
namespace control_bit {
inline constexpr int kStrobe = 0;
inline constexpr int kAutoFeed = 1;
inline constexpr int kInit = 2;
inline constexpr int kSelectIn = 3;
inline constexpr int kInterruptEnable = 4; // no pin: lets Ack raise the port's interrupt
inline constexpr int kBidirectional = 5;   // no pin: turns D0 to D7 round to input
} // namespace control_bit

// The bits of the status register; bits 0 to 2 have no line.
namespace status_bit {
inline constexpr int kEppTimeout = 0; // no pin: set by an EPP cycle that timed out
inline constexpr int kError = 3;
inline constexpr int kSelect = 4;
inline constexpr int kPaperEnd = 5;
inline constexpr int kAck = 6;
inline constexpr int kBusy = 7;
} // namespace status_bit

constexpr std::uint8_t Bit(int bit) {
    return static_cast<std::uint8_t>(1u << bit);
}

// One pin of the connector.
struct ConnectorPin {
    int pin;
    LineDirection direction;
    Register reg; // not used for ground
    int bit;      // in reg; -1 for ground
    // The level at the pin is the opposite of the bit: the port's own
    // inverters on strobe, auto feed and select in, and on busy.
    bool inverted;
    const char* name; // Swedish, as the colour legend and a screen reader say it
};

// Pins 1 to 25, in order.
inline constexpr std::array<ConnectorPin, 25> kConnectorPins{{
    {1, LineDirection::Output, Register::Control, control_bit::kStrobe, true, "Strobe"},
    {2, LineDirection::Data, Register::Data, 0, false, "D0"},
    {3, LineDirection::Data, Register::Data, 1, false, "D1"},
    {4, LineDirection::Data, Register::Data, 2, false, "D2"},
    {5, LineDirection::Data, Register::Data, 3, false, "D3"},
    {6, LineDirection::Data, Register::Data, 4, false, "D4"},
    {7, LineDirection::Data, Register::Data, 5, false, "D5"},
    {8, LineDirection::Data, Register::Data, 6, false, "D6"},
    {9, LineDirection::Data, Register::Data, 7, false, "D7"},
    {10, LineDirection::Input, Register::Status, status_bit::kAck, false, "Ack"},
    {11, LineDirection::Input, Register::Status, status_bit::kBusy, true, "Busy"},
    {12, LineDirection::Input, Register::Status, status_bit::kPaperEnd, false, "Papper slut"},
    {13, LineDirection::Input, Register::Status, status_bit::kSelect, false, "Select"},
    {14, LineDirection::Output, Register::Control, control_bit::kAutoFeed, true, "Autofeed"},
    {15, LineDirection::Input, Register::Status, status_bit::kError, false, "Fel"},
    {16, LineDirection::Output, Register::Control, control_bit::kInit, false, "Init"},
    {17, LineDirection::Output, Register::Control, control_bit::kSelectIn, true, "Select In"},
    {18, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {19, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {20, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {21, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {22, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {23, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {24, LineDirection::Ground, Register::Data, -1, false, "jord"},
    {25, LineDirection::Ground, Register::Data, -1, false, "jord"},
}};

// The pin, or nullopt outside 1 to 25.
constexpr std::optional<ConnectorPin> PinOf(int pin) {
    if (pin < 1 || pin > static_cast<int>(kConnectorPins.size()))
        return std::nullopt;
    return kConnectorPins[static_cast<std::size_t>(pin - 1)];
}

// The pin of a register bit, or nullopt for a bit without a line.
constexpr std::optional<ConnectorPin> PinOf(Register reg, int bit) {
    for (const ConnectorPin& pin : kConnectorPins) {
        if (pin.direction != LineDirection::Ground && pin.reg == reg && pin.bit == bit)
            return pin;
    }
    return std::nullopt;
}

// The bits of a register that have a line at the connector.
constexpr std::uint8_t LinesOf(Register reg) {
    std::uint8_t mask = 0;
    for (const ConnectorPin& pin : kConnectorPins) {
        if (pin.direction != LineDirection::Ground && pin.reg == reg)
            mask = static_cast<std::uint8_t>(mask | Bit(pin.bit));
    }
    return mask;
}

// The bits of a register whose pin level is the opposite of the bit.
constexpr std::uint8_t InvertedLinesOf(Register reg) {
    std::uint8_t mask = 0;
    for (const ConnectorPin& pin : kConnectorPins) {
        if (pin.direction != LineDirection::Ground && pin.reg == reg && pin.inverted)
            mask = static_cast<std::uint8_t>(mask | Bit(pin.bit));
    }
    return mask;
}

// The level (true = high) a register bit puts on its pin, and the bit that
// puts a pin at a level: the same flip either way.
constexpr bool PinLevel(const ConnectorPin& pin, std::uint8_t registerValue) {
    return (((registerValue >> pin.bit) & 1u) != 0) != pin.inverted;
}

// The control bits that drive output lines: strobe, auto feed, init, select in.
inline constexpr std::uint8_t kControlOutputLines = LinesOf(Register::Control);
static_assert(kControlOutputLines == 0b0000'1111);
static_assert(InvertedLinesOf(Register::Control) == 0b0000'1011);
static_assert(InvertedLinesOf(Register::Status) == 0b1000'0000);
static_assert(LinesOf(Register::Status) == 0b1111'1000);

} // namespace portprov
