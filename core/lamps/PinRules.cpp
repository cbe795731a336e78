// SPDX-License-Identifier: MIT
#include "lamps/PinRules.h"

#include "ports/ParallelPortRegisters.h"

#include <algorithm>
#include <cstdint>

namespace portprov {

namespace {

// Connector pins of the registers' lines.
constexpr int kPinStrobe = 1;    // control bit 0
constexpr int kPinAutoFeed = 14; // control bit 1
constexpr int kPinInit = 16;     // control bit 2
constexpr int kPinSelectIn = 17; // control bit 3
// D0 to D7 lie on pins 2 to 9; the status byte is shown on the same lamps.
constexpr int DataPin(int bit) {
    return 2 + bit;
}

// No data line is inverted at the connector.
constexpr std::uint8_t kDataInvertedLines = 0;
// Status bits shown inverted on their lamp: busy (bit 7) and bit 3.
constexpr std::uint8_t kStatusInvertedLines = 0b1000'1000;
// Status bits 0 to 2 have no line of their own; their lamps are shown white.
constexpr std::uint8_t kStatusBitsWithoutLine = 0b0000'0111;
// Control bit 5 sets the direction of the data lines.
constexpr int kDirectionBit = 5;

constexpr bool HasBit(std::uint8_t mask, int bit) {
    return ((mask >> bit) & 1u) != 0;
}

constexpr PinRule Line(int pin, int bit, std::uint8_t invertedLines) {
    return {pin, HasBit(invertedLines, bit) ? PinEffect::Inverted : PinEffect::Direct};
}

constexpr PinRule StatusLine(int bit) {
    if (HasBit(kStatusBitsWithoutLine, bit))
        return {DataPin(bit), PinEffect::AlwaysWhite};
    return Line(DataPin(bit), bit, kStatusInvertedLines);
}

constexpr PinRule kNoPin{0, PinEffect::Nothing};

// Each table is indexed by pattern position - 1: bit 7 first, bit 0 last.
constexpr PinRule DataLine(int bit) {
    return Line(DataPin(bit), bit, kDataInvertedLines);
}

constexpr std::array<PinRule, 8> kDataRule{
    DataLine(7), DataLine(6), DataLine(5), DataLine(4),
    DataLine(3), DataLine(2), DataLine(1), DataLine(0),
};

constexpr std::array<PinRule, 8> kControlRule{
    kNoPin,
    kNoPin,
    PinRule{0, PinEffect::DirectionText}, // bit 5
    kNoPin,
    Line(kPinSelectIn, 3, kControlLinesInverted),
    Line(kPinInit, 2, kControlLinesInverted),
    Line(kPinAutoFeed, 1, kControlLinesInverted),
    Line(kPinStrobe, 0, kControlLinesInverted),
};
static_assert(kControlRule[7 - kDirectionBit].effect == PinEffect::DirectionText);

constexpr std::array<PinRule, 8> kStatusRule{
    StatusLine(7), StatusLine(6), StatusLine(5), StatusLine(4),
    StatusLine(3), StatusLine(2), StatusLine(1), StatusLine(0),
};

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
    const auto registerOf = [port](std::uint16_t base) -> std::optional<Register> {
        switch (int{port} - int{base}) {
        case kDataOffset:
            return Register::Data;
        case kStatusOffset:
            return Register::Status;
        case kControlOffset:
            return Register::Control;
        default:
            return std::nullopt;
        }
    };
    if (const std::optional<Register> shown = registerOf(kLpt1Base))
        return shown;
    for (const std::uint16_t base : reportedBases) {
        const bool usual = std::find(kUsualParallelBases.begin(), kUsualParallelBases.end(),
                                     base) != kUsualParallelBases.end();
        if (const std::optional<Register> shown = usual ? std::nullopt : registerOf(base))
            return shown;
    }
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
