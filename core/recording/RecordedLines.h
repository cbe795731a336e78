// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// The lines a recording of these registers shows, register by register in
// the order of ports (the channel is the index in ports):
//  - a register of a parallel port (at a usual base, 888, 632 or 956, or at
//    one of parallelBases, the bases the computer reports): the pins of that
//    register on the 25-pin connector, in pin order, each at its level on the
//    connector;
//  - the game port (512 to 519): its four axes and four buttons, bit 0 first;
//  - any other address: its eight bits, bit 0 first.
// When registers of more than one parallel port are recorded, their names
// carry the base ("lpt632_stift11_busy"), and likewise the game port's when
// more than one of its addresses is recorded, so that no two wires share a
// name.
std::vector<RecordedLine> LinesOf(std::span<const std::uint16_t> ports,
                                  std::span<const std::uint16_t> parallelBases = {});

// The line's level (true = high) in a value of its register.
constexpr bool LevelOf(const RecordedLine& line, std::uint8_t value) {
    return (((value >> line.bit) & 1u) != 0) != line.inverted;
}

// A name as a file's signal name: lower case ASCII letters, digits and "_";
// å, ä and ö folded to a, a and o, anything else (spaces too) to "_".
std::string WireNameOf(std::string_view name);

} // namespace portprov
