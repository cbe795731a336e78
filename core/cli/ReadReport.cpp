// SPDX-License-Identifier: MIT
#include "cli/ReadReport.h"

#include "lamps/BinaryPattern.h"
#include "lamps/ByteLamps.h"
#include "lamps/LampNames.h"
#include "lamps/LampPanel.h"
#include "lamps/PinRules.h"

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

} // namespace

std::string ReadReport(std::uint16_t port, std::uint8_t byte,
                       std::span<const std::uint16_t> parallelBases) {
    std::string line =
        std::to_string(port) + ": " + std::to_string(byte) + " " + EightPlacePattern(byte);
    // The control register's pins too, where the window leaves them to its
    // control command (frmPortCom::PinRuleFor): this line stands alone, with
    // no picture of the connector to keep.
    const std::optional<Register> rule = RegisterShownAt(port, parallelBases);
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
