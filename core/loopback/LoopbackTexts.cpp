// SPDX-License-Identifier: MIT
#include "loopback/LoopbackTexts.h"

#include "loopback/Plugs.h"

#include <algorithm>
#include <optional>

namespace portprov {

namespace {

const char* const kDash = "\u2013";

} // namespace

std::string PlugText(LoopbackPlug plug) {
    const Plug& row = PlugOf(plug);
    return std::string(row.name) + " (stift " + PinPairsText(row, kDash) + ")";
}

std::string WirePinsText(const LoopbackWire& wire) {
    return std::to_string(wire.outputPin) + kDash + std::to_string(wire.inputPin);
}

std::string WireSignalsText(const LoopbackWire& wire) {
    return std::string(wire.outputSignal) + " \u2192 " + wire.inputSignal;
}

std::string WireText(const LoopbackWire& wire) {
    return WirePinsText(wire) + " (" + WireSignalsText(wire) + ")";
}

std::string WireResultText(const LoopbackReport& report, const WireReport& wire) {
    switch (wire.result) {
    case WireResult::Works:
        return "fungerar";
    case WireResult::StuckHigh:
        return "fastnat hög";
    case WireResult::StuckLow:
        return "fastnat låg";
    case WireResult::Joined:
        if (wire.joinedWith && *wire.joinedWith < report.wires.size()) {
            const LoopbackWire& other = report.wires[*wire.joinedWith].wire;
            return "ihopkopplad med stift " + WirePinsText(other) + " (" + other.outputSignal + ")";
        }
        return "ihopkopplad med en annan ledning";
    case WireResult::Erratic:
        break;
    }
    return "oregelbunden";
}

std::string VerdictText(const LoopbackReport& report) {
    const std::size_t total = report.wires.size();
    if (report.passed())
        return "Godkänt: alla " + std::to_string(total) + " ledningarna fungerar.";
    const bool allHigh = std::all_of(report.wires.begin(), report.wires.end(), [](const auto& w) {
        return w.result == WireResult::StuckHigh;
    });
    if (allHigh)
        return "Underkänt: ingen ledning fungerar. Sitter slingkontakten i porten?";
    std::string broken;
    for (const WireReport& wire : report.wires) {
        if (wire.result == WireResult::Works)
            continue;
        if (!broken.empty())
            broken += ", ";
        broken += WirePinsText(wire.wire);
    }
    std::string verdict = "Underkänt: " + std::to_string(report.failedWires()) + " av " +
                          std::to_string(total) + " ledningar fungerar inte (stift " + broken +
                          ").";
    if (const std::optional<LoopbackPlug> other = WiringTheFailuresMatch(report))
        verdict += std::string(" Felen stämmer med en ") + PlugOf(*other).name +
                   ": välj den kopplingen och tryck Starta igen.";
    return verdict;
}

std::string AbortedText(PortErrorKind kind) {
    switch (kind) {
    case PortErrorKind::Busy:
        return "Testet startade inte: porten är upptagen av ett annat program.";
    case PortErrorKind::RefusedInput:
    case PortErrorKind::NotPermitted:
    case PortErrorKind::Missing:
    case PortErrorKind::NotCovered:
        return "Testet startade inte: porten kan inte nås.";
    case PortErrorKind::FailedAccess:
        break;
    }
    return "Testet avbröts: porten kunde inte läsas eller skrivas.";
}

} // namespace portprov
