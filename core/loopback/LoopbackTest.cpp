// SPDX-License-Identifier: MIT
#include "loopback/LoopbackTest.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/PortIo.h"
#include "ports/RemoteSequences.h"
#include "ports/RestoringSequence.h"
#include "ports/SavedRegisters.h"

#include <algorithm>
#include <string>

namespace portprov {

namespace {

bool Bit(std::uint8_t byte, std::size_t i) {
    return ((byte >> i) & 1u) != 0;
}

// Whether input `index` equals f(outputs) in every sample.
template <typename Rule>
bool InputFollows(const std::vector<LoopbackSample>& samples, std::size_t index, Rule rule) {
    return std::all_of(samples.begin(), samples.end(), [&](const LoopbackSample& sample) {
        return Bit(sample.inputs, index) == rule(sample.outputs);
    });
}

// Drives every combination of the plug's outputs, reading the status after
// each; the lines the plug does not use keep the saved values.
std::vector<LoopbackSample> DriveEveryCombination(std::int32_t base,
                                                  std::span<const LoopbackWire> wiring,
                                                  std::uint8_t savedData,
                                                  std::uint8_t savedControl) {
    std::vector<LoopbackSample> samples;
    const unsigned combinations = 1u << wiring.size();
    for (unsigned outputs = 0; outputs < combinations; ++outputs) {
        std::uint8_t data = savedData;
        auto control = static_cast<std::uint8_t>(savedControl & kControlOutputBits);
        for (std::size_t i = 0; i < wiring.size(); ++i)
            DriveOutputPin(wiring[i], Bit(static_cast<std::uint8_t>(outputs), i), data, control);
        DlPortWritePortUchar(base + kControlOffset, control);
        DlPortWritePortUchar(base + kDataOffset, data);
        const std::uint8_t status = DlPortReadPortUchar(base + kStatusOffset);
        std::uint8_t inputs = 0;
        for (std::size_t i = 0; i < wiring.size(); ++i) {
            if (InputPinLevel(wiring[i], status))
                inputs = static_cast<std::uint8_t>(inputs | (1u << i));
        }
        samples.push_back({static_cast<std::uint8_t>(outputs), inputs});
    }
    return samples;
}

} // namespace

bool LoopbackReport::passed() const {
    return !wires.empty() && failedWires() == 0;
}

std::size_t LoopbackReport::failedWires() const {
    return static_cast<std::size_t>(std::count_if(
        wires.begin(), wires.end(), [](const auto& w) { return w.result != WireResult::Works; }));
}

std::optional<LoopbackPlug> WiringTheFailuresMatch(const LoopbackReport& report) {
    if (report.wires.empty() || report.passed())
        return std::nullopt;
    for (const Plug& other : kPlugs) {
        if (other.plug == report.plug)
            continue;
        const auto otherWiring = WiringOf(other.plug);
        const auto matches = [&](const WireReport& wire) {
            const bool shared =
                std::any_of(otherWiring.begin(), otherWiring.end(), [&](const auto& w) {
                    return w.outputPin == wire.wire.outputPin && w.inputPin == wire.wire.inputPin;
                });
            if (shared)
                return wire.result == WireResult::Works;
            return wire.result == WireResult::StuckHigh || wire.result == WireResult::StuckLow;
        };
        if (std::all_of(report.wires.begin(), report.wires.end(), matches))
            return other.plug;
    }
    return std::nullopt;
}

WireReport ClassifyWire(LoopbackPlug plug, std::size_t index,
                        const std::vector<LoopbackSample>& samples) {
    const auto wiring = WiringOf(plug);
    WireReport report{wiring[index], WireResult::Erratic, std::nullopt};
    const auto own = [index](std::uint8_t outputs) { return Bit(outputs, index); };
    if (InputFollows(samples, index, own)) {
        report.result = WireResult::Works;
        return report;
    }
    if (InputFollows(samples, index, [](std::uint8_t) { return true; })) {
        report.result = WireResult::StuckHigh;
        return report;
    }
    if (InputFollows(samples, index, [](std::uint8_t) { return false; })) {
        report.result = WireResult::StuckLow;
        return report;
    }
    for (std::size_t other = 0; other < wiring.size(); ++other) {
        if (other == index)
            continue;
        const auto theirs = [other](std::uint8_t outputs) { return Bit(outputs, other); };
        // A wire to the other input, or two outputs shorted together (the
        // low one wins on open-collector lines, the high one on others).
        const bool joined =
            InputFollows(samples, index, theirs) ||
            InputFollows(samples, index, [&](std::uint8_t o) { return own(o) && theirs(o); }) ||
            InputFollows(samples, index, [&](std::uint8_t o) { return own(o) || theirs(o); });
        if (joined) {
            report.result = WireResult::Joined;
            report.joinedWith = other;
            return report;
        }
    }
    return report;
}

LoopbackReport RunLoopbackTest(std::int32_t base, LoopbackPlug plug) {
    const auto wiring = WiringOf(plug);
    std::optional<LoopbackReport> fromHelper;
    std::vector<LoopbackSample> samples;
    RunRestoringSequence(
        base, "slingtestet",
        {.body =
             [&](SavedRegisters& saved) {
                 samples = DriveEveryCombination(base, wiring, saved.data(), saved.control());
             },
         // Through the helper the test runs there, next to the port, and puts
         // the registers back even when this program dies half way.
         .elsewhere =
             [&](RemoteSequences& elsewhere) {
                 fromHelper = elsewhere.loopbackTest(static_cast<std::uint16_t>(base), plug);
             }});
    if (fromHelper)
        return *fromHelper;

    LoopbackReport report;
    report.plug = plug;
    report.base = static_cast<std::uint16_t>(base);
    for (std::size_t i = 0; i < wiring.size(); ++i)
        report.wires.push_back(ClassifyWire(plug, i, samples));
    return report;
}

} // namespace portprov
