// SPDX-License-Identifier: MIT
#pragma once

#include "connector/LoopbackPlug.h"
#include "loopback/LoopbackWiring.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace portprov {

// What a wire of the plug does, as seen at the status register.
enum class WireResult {
    Works,     // the input follows its own output
    StuckHigh, // the input stays high whatever the outputs do
    StuckLow,  // the input stays low whatever the outputs do
    Joined,    // the input follows another wire's output (alone or with its own)
    Erratic,   // none of these
};

struct WireReport {
    LoopbackWire wire;
    WireResult result = WireResult::Works;
    // For Joined: the index, in the plug's wiring, of the other wire.
    std::optional<std::size_t> joinedWith;
};

struct LoopbackReport {
    LoopbackPlug plug = LoopbackPlug::Control;
    std::uint16_t base = 0;
    std::vector<WireReport> wires;

    bool passed() const;
    std::size_t failedWires() const;
};

// The pin levels of one step: bit i is wire i's output pin (or input pin).
struct LoopbackSample {
    std::uint8_t outputs;
    std::uint8_t inputs;
};

// Classifies wire `index` from the samples of every output combination.
WireReport ClassifyWire(LoopbackPlug plug, std::size_t index,
                        const std::vector<LoopbackSample>& samples);

// Another wiring (the first in kPlugs), when the failures are the ones a plug
// of that wiring causes under this one: the wires both wirings have work, and every other
// wire is stuck, its input held by an output the test does not drive. A plug
// of the chosen wiring with broken wires gives this only when every wire but
// the shared ones is broken (a broken wire's input is pulled high), which
// cannot be told apart from the other plug whose held outputs are high.
// Empty when the report passed or the failures are any others.
std::optional<LoopbackPlug> WiringTheFailuresMatch(const LoopbackReport& report);

// Runs the test on the parallel port at base through the program's port
// operations: every combination of the plug's outputs is driven, the status
// register read after each, the port held for the test alone
// (HoldPortForSequence). The data latch and the control register are
// written back as they were before the test (SavedRegisters), also when an
// access throws PortError (which is passed on), and before a termination
// signal (DeferredTerminationSignals) may end the program. A port that could not be put back ends in
// PortError naming the values its registers should have, never in a report.
// A base whose registers would pass 65535 is refused with PortError before
// any port is touched.
LoopbackReport RunLoopbackTest(std::int32_t base, LoopbackPlug plug);

} // namespace portprov
