// SPDX-License-Identifier: MIT
#pragma once

#include "connector/Connector.h"
#include "lamps/LampPanel.h"

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace portprov {

// What one pattern position does to the connector under a register's rule.
enum class PinEffect {
    Nothing,       // the position has no pin under this rule
    Direct,        // red for "1", white otherwise
    Inverted,      // white for "1", red otherwise (the line is inverted at the connector)
    AlwaysWhite,   // white whatever the bit (the status bits 0 to 2 have no pin)
    DirectionText, // control bit 5: data lines in read mode for "1", write mode otherwise
};

struct PinRule {
    int pin; // pin number, 0 where the effect has no pin
    PinEffect effect;
};

// The rule of a register, indexed by pattern position - 1 (position 1 is bit 7).
const std::array<PinRule, 8>& RuleOf(Register reg);

// The register whose rule shows a byte read at port on the connector's pins:
// data, status or control of a known parallel port (ParallelRegisterAt: the
// usual three and each port the computer reports, reportedBases). --read
// asks here and a recording names the same register's lines; the window
// paints only the ports it knows are there (frmPortCom::PinRuleFor).
std::optional<Register> RegisterShownAt(std::uint16_t port,
                                        std::span<const std::uint16_t> reportedBases = {});

// Applies the rule of one register to one pattern position (1 to 8) with its
// character; touches only that position's lamp or the direction text.
void ApplyPinRule(Register reg, int position, char bit, LampPanel& lamps);

} // namespace portprov
