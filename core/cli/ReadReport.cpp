// SPDX-License-Identifier: MIT
#include "cli/ReadReport.h"

#include "lamps/BinaryPattern.h"
#include "lamps/ByteLamps.h"
#include "lamps/LampNames.h"
#include "lamps/LampPanel.h"
#include "lamps/PinRules.h"
#include "ports/ParallelPortRegisters.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

namespace portprov {

namespace {

// Writes down the pins and the direction text a rule shows, in order.
class PinNotes : public LampPanel {
public:
    void setBitLamp(int, LampColour) override {}
    void setPinLamp(int pin, LampColour colour) override { pins.emplace_back(pin, colour); }
    void showDirection(DataDirection shown) override { direction = shown; }

    std::vector<std::pair<int, LampColour>> pins;
    std::optional<DataDirection> direction;
};

std::optional<Register> RegisterAt(std::uint16_t port, std::span<const std::uint16_t> bases) {
    if (const std::optional<Register> rule = PinRuleAt(port, bases))
        return rule;
    const auto isControl = [port](std::uint16_t base) {
        return int{port} == int{base} + int{kControlOffset};
    };
    if (isControl(kLpt1Base) || std::any_of(bases.begin(), bases.end(), isControl))
        return Register::Control;
    return std::nullopt;
}

} // namespace

std::string ReadReport(std::uint16_t port, std::uint8_t byte,
                       std::span<const std::uint16_t> parallelBases) {
    std::string line =
        std::to_string(port) + ": " + std::to_string(byte) + " " + EightPlacePattern(byte);
    const std::optional<Register> rule = RegisterAt(port, parallelBases);
    if (!rule)
        return line;
    PinNotes notes;
    ShowByteOnLamps(notes, byte, rule);
    line += " stift";
    for (const auto& [pin, colour] : notes.pins) {
        line += ' ';
        line += std::to_string(pin);
        line += '=';
        line += LampStateName(colour);
    }
    if (notes.direction)
        line += std::string("; ") + DirectionText(*notes.direction);
    return line;
}

} // namespace portprov
