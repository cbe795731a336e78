// SPDX-License-Identifier: MIT
#pragma once

namespace portprov {

// The loopback (wrap) plugs for a parallel port the program knows. Their
// options, names and pin pairs are in one table, kPlugs (loopback/Plugs.h);
// the names alone live here, beside the connector they plug into, so that the
// simulated PC in ports can take a plug without reaching up to the loopback
// test.
enum class LoopbackPlug {
    Control, // the control lines and D0 to the status inputs
    Data,    // D0 to D4 to the five status inputs
};

} // namespace portprov
