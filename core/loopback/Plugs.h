// SPDX-License-Identifier: MIT
#pragma once

#include "connector/LoopbackPlug.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace portprov {

// One wire of a plug: an output pin (a data or control line) joined to a
// status input pin.
struct PinPair {
    int output;
    int input;
};

// A loopback plug as the program knows it. The status register has five
// inputs, and every plug wires each of them to an output.
struct Plug {
    LoopbackPlug plug;
    const char* option;          // its value of --plug
    const char* name;            // Swedish, as the dialog and the verdict say it
    std::array<PinPair, 5> pins; // in the order the plug's wires are named
};

// The plugs, one row each, in the order of LoopbackPlug (checked when
// compiled). The wiring, the texts, the test, the dialog, the command line and
// its help and the helper's messages all read this table: another plug is its
// name in LoopbackPlug and a row here, and its own wiring in the simulated PC,
// which keeps one as a check of this table (the compiler asks for it).
inline constexpr std::array<Plug, 2> kPlugs{{
    {LoopbackPlug::Control,
     "control",
     "Styrslinga",
     {{{1, 13}, {2, 15}, {14, 12}, {16, 10}, {17, 11}}}},
    {LoopbackPlug::Data, "data", "Dataslinga", {{{2, 15}, {3, 13}, {4, 12}, {5, 10}, {6, 11}}}},
}};

// The plug's row.
const Plug& PlugOf(LoopbackPlug plug);
// The plug with that row number, the order a list of the plugs shows them
// in; nullopt past the last row.
std::optional<LoopbackPlug> PlugAt(std::size_t index);
// The plug's row number.
std::size_t IndexOf(LoopbackPlug plug);
// The plug whose --plug value this is, if any.
std::optional<LoopbackPlug> PlugForOption(std::string_view option);

// The plug's pin pairs, "1–13, 2–15, ..." with dash between a pair's pins.
std::string PinPairsText(const Plug& plug, std::string_view dash);

} // namespace portprov
