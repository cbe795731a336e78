// SPDX-License-Identifier: MIT
#pragma once

#include "loopback/LoopbackTest.h"
#include "ports/PortError.h"

#include <string>

namespace portprov {

// The Swedish texts of the loopback test.

// "Styrslinga (stift 1–13, 2–15, 14–12, 16–10, 17–11)"
std::string PlugText(LoopbackPlug plug);
// "1–13"
std::string WirePinsText(const LoopbackWire& wire);
// "Strobe → Select"
std::string WireSignalsText(const LoopbackWire& wire);
// "1–13 (Strobe → Select)"
std::string WireText(const LoopbackWire& wire);
// "fungerar", "fastnat hög", "fastnat låg", "ihopkopplad med stift 14–12 (Auto Feed)", ...
std::string WireResultText(const LoopbackReport& report, const WireReport& wire);
// Whether the port passed, which wires do not work and, when the failures
// match the other wiring, that wiring to choose.
std::string VerdictText(const LoopbackReport& report);
// The verdict line when the test ended in a port failure of this kind: one
// that was refused before the port was touched says the test never started.
std::string AbortedText(PortErrorKind kind);

} // namespace portprov
