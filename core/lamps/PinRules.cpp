// SPDX-License-Identifier: MIT
#include "lamps/PinRules.h"

#include "ports/ParallelPorts.h"

#include <cstdint>

namespace portprov {

namespace {

constexpr bool HasBit(std::uint8_t mask, int bit) {
    return ((mask >> bit) & 1u) != 0;
}

constexpr PinRule kNoPin{0, PinEffect::Nothing};

// A bit on its own line's pin, red where the pin is high.
constexpr PinRule OwnLine(Register reg, int bit) {
    const std::optional<ConnectorPin> pin = PinOf(reg, bit);
    if (!pin)
        return kNoPin;
    return {pin->pin, pin->inverted ? PinEffect::Inverted : PinEffect::Direct};
}

// The data register: D0 to D7 on pins 2 to 9, none inverted.
constexpr PinRule DataLine(int bit) {
    return OwnLine(Register::Data, bit);
}

// The control register: its four output lines on their pins (strobe, auto
// feed and select in inverted), and bit 5, which has no pin, in the text that
// tells the direction of the data lines.
constexpr PinRule ControlLine(int bit) {
    if (bit == control_bit::kBidirectional)
        return {0, PinEffect::DirectionText};
    return OwnLine(Register::Control, bit);
}

// The status register is shown where the byte is shown for the data
// register, on the lamps of pins 2 to 9 (bit 7 on pin 9), not on the inputs'
// own pins 10 to 15, which keep their colour: the window reads the status
// byte off the same eight lamps as a data byte. Busy is inverted, as it is at
// the connector, so its lamp is red while the printer's line is high. Error
// is shown inverted although its line is not: it is active low, and its lamp
// lights while the printer reports an error. Bits 0 to 2 have no line, and
// their lamps are shown white whatever they read.
constexpr std::uint8_t kStatusShownInverted = Bit(status_bit::kBusy) | Bit(status_bit::kError);
static_assert((kStatusShownInverted & InvertedLinesOf(Register::Status)) ==
              InvertedLinesOf(Register::Status));
constexpr PinRule StatusLine(int bit) {
    const int pin = PinOf(Register::Data, bit)->pin;
    if (!HasBit(LinesOf(Register::Status), bit))
        return {pin, PinEffect::AlwaysWhite};
    return {pin, HasBit(kStatusShownInverted, bit) ? PinEffect::Inverted : PinEffect::Direct};
}

// Each table is indexed by pattern position - 1: bit 7 first, bit 0 last.
template <typename Line> constexpr std::array<PinRule, 8> RuleFrom(Line line) {
    std::array<PinRule, 8> rule{};
    for (int bit = 0; bit < 8; ++bit)
        rule[static_cast<std::size_t>(7 - bit)] = line(bit);
    return rule;
}

constexpr std::array<PinRule, 8> kDataRule = RuleFrom(DataLine);
constexpr std::array<PinRule, 8> kControlRule = RuleFrom(ControlLine);
constexpr std::array<PinRule, 8> kStatusRule = RuleFrom(StatusLine);

} // namespace

const std::array<PinRule, 8>& RuleOf(Register reg) {
    switch (reg) {
    case Register::Data:
        return kDataRule;
    case Register::Control:
        return kControlRule;
    case Register::Status:
        return kStatusRule;
    }
    return kDataRule;
}

std::optional<Register> RegisterShownAt(std::uint16_t port,
                                        std::span<const std::uint16_t> reportedBases) {
    if (const auto parallel = ParallelRegisterAt(port, reportedBases))
        return parallel->reg;
    return std::nullopt;
}

void ApplyPinRule(Register reg, int position, char bit, LampPanel& lamps) {
    if (position < 1 || position > 8)
        return;
    const PinRule& rule = RuleOf(reg)[static_cast<std::size_t>(position - 1)];
    const bool one = bit == '1';
    switch (rule.effect) {
    case PinEffect::Nothing:
        break;
    case PinEffect::Direct:
        lamps.setPinLamp(rule.pin, LampForBit(bit));
        break;
    case PinEffect::Inverted:
        lamps.setPinLamp(rule.pin, one ? LampColour::White : LampColour::Red);
        break;
    case PinEffect::AlwaysWhite:
        lamps.setPinLamp(rule.pin, LampColour::White);
        break;
    case PinEffect::DirectionText:
        lamps.showDirection(one ? DataDirection::Read : DataDirection::Write);
        break;
    }
}

} // namespace portprov
