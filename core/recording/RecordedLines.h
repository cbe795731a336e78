// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// The lines a recording of these registers shows, register by register in
// the order of ports (the channel is the index in ports):
//  - a register of a parallel port (ParallelRegisterAt: at a usual base, 888,
//    632 or 956, or at one of parallelBases, the bases the computer reports): the pins of that
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

// The lines' levels at time 0, one per line, with the changes at time 0.
std::vector<bool> InitialLevels(const Recording& recording, std::span<const RecordedLine> lines);

// Walks the recording's changes in time order and calls moment once for each
// time at which at least one line's level changed (several changes at one
// time make one moment), with all the lines' levels after it and which of them
// changed. Times never go back: one earlier than the one before counts as that
// one (a file cannot go back in time). Changes of a register no line shows,
// or of a channel not in the recording, change nothing.
void ForEachMoment(
    const Recording& recording, std::span<const RecordedLine> lines,
    const std::function<void(std::chrono::nanoseconds time, const std::vector<bool>& levels,
                             const std::vector<bool>& changed)>& moment);

// A name as a file's signal name: lower case ASCII letters, digits and "_";
// å, ä and ö folded to a, a and o, anything else (spaces too) to "_".
std::string WireNameOf(std::string_view name);

} // namespace portprov
