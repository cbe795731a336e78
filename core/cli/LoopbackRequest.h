// SPDX-License-Identifier: MIT
#pragma once

#include "cli/RunReport.h"
#include "connector/LoopbackPlug.h"
#include "input/Conversions.h"
#include "ports/simulated/PinFault.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace portprov {

// --loopback PLUG [--port BASE]: the loopback test of the parallel port at
// base, run `repeat` times (0: until a termination signal), or once with its
// verdicts when repeat is empty.
struct LoopbackPlan {
    LoopbackPlug plug = LoopbackPlug::Data;
    std::uint16_t base = 888;
    std::optional<std::uint64_t> repeat;
    std::optional<RunReport> report{}; // --report's page of the run
};

// A reading of an option's value: the value, or the Swedish refusal.
template <typename T> using Checked = std::variant<T, std::string>;

// --loopback's plug (a --plug value of kPlugs) and --port's base, read as
// --square's (an address rounded half to even, a base BaseRefusal takes).
Checked<LoopbackPlan> CheckLoopbackRequest(const std::string& plug,
                                           const std::optional<std::string>& port,
                                           const NumberFormat& format);

// --repeat N: a whole number of rounds, 0 or more, in digits alone. Kept
// apart from the loopback test, as other repeated tests read it the same way.
Checked<std::uint64_t> ReadRepeatCount(const std::string& text);

// --fault PIN:stuck-low, PIN:stuck-high or PIN:drop:SHARE, SHARE 0 to 1
// (a point or a comma), PIN a status input pin.
Checked<PinFault> ReadPinFault(const std::string& text);

} // namespace portprov
