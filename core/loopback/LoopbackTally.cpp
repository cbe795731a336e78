// SPDX-License-Identifier: MIT
#include "loopback/LoopbackTally.h"

#include "input/DecimalText.h"
#include "loopback/LoopbackTexts.h"

#include <utility>

namespace portprov {

namespace {

std::string TallyRoundsText(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " omgång" : " omgångar");
}

} // namespace

LoopbackTally::LoopbackTally(LoopbackPlug plug, std::function<std::chrono::nanoseconds()> clock)
    : clock_(std::move(clock)), start_(clock_()) {
    for (const LoopbackWire& wire : WiringOf(plug))
        wires_.push_back({wire, 0, 0, {}, {}});
}

void LoopbackTally::add(const LoopbackReport& report) {
    ++rounds_;
    failedRounds_ += report.passed() ? 0 : 1;
    for (std::size_t i = 0; i < report.wires.size() && i < wires_.size(); ++i) {
        if (report.wires[i].result == WireResult::Works)
            continue;
        WireTally& tally = wires_[i];
        if (tally.failedRounds++ == 0) {
            tally.firstRound = rounds_;
            tally.firstTime = clock_() - start_;
            tally.firstVerdict = WireResultText(report, report.wires[i]);
        }
    }
}

std::string WireTallyText(const WireTally& tally, std::uint64_t rounds) {
    std::string text =
        "fel i " + std::to_string(tally.failedRounds) + " av " + TallyRoundsText(rounds);
    if (tally.failedRounds > 0)
        text += ", första i omgång " + std::to_string(tally.firstRound) + " efter " +
                Decimal(std::chrono::duration<double>(tally.firstTime).count(), 6,
                        SwedishNumberFormat()) +
                " s (" + tally.firstVerdict + ")";
    return text;
}

std::string WireTallyLine(const WireTally& tally, std::uint64_t rounds) {
    return WireText(tally.wire) + ": " + WireTallyText(tally, rounds);
}

std::string RoundsText(const LoopbackTally& tally) {
    return TallyRoundsText(tally.rounds()) + ", " + std::to_string(tally.failedRounds()) +
           " med fel";
}

std::string RepeatedVerdictText(const LoopbackTally& tally, bool stopped) {
    const std::string end = stopped ? " Körningen stoppades." : "";
    const std::uint64_t rounds = tally.rounds();
    if (rounds == 0)
        return "Ingen omgång kördes." + end;
    if (tally.passed())
        return "Godkänt: alla " + std::to_string(tally.wires().size()) +
               " ledningarna fungerade i " +
               (rounds == 1 ? std::string("1 omgång") : "alla " + TallyRoundsText(rounds)) + "." +
               end;
    std::string broken;
    for (const WireTally& wire : tally.wires()) {
        if (wire.failedRounds == 0)
            continue;
        broken += (broken.empty() ? "" : ", ") + WirePinsText(wire.wire);
    }
    return "Underkänt: fel i " + std::to_string(tally.failedRounds()) + " av " +
           TallyRoundsText(rounds) + " (stift " + broken + ")." + end;
}

} // namespace portprov
