// SPDX-License-Identifier: MIT
#include "cli/LoopbackCommand.h"

#include "cli/PortOperations.h"
#include "cli/SummaryNumbers.h"
#include "loopback/LoopbackTest.h"
#include "loopback/LoopbackTexts.h"
#include "ports/PortError.h"
#include "process/DeferredTerminationSignals.h"
#include "process/SteadyNow.h"

#include <optional>
#include <string>
#include <vector>

namespace portprov {

namespace {

// One wire's failures over the rounds: only the count and the first, so
// that a run of days takes no more memory than a run of one round.
struct WireTally {
    LoopbackWire wire;
    std::uint64_t failedRounds = 0;
    std::uint64_t firstRound = 0;
    std::chrono::nanoseconds firstTime{};
    std::string firstVerdict;
};

std::string WireName(const LoopbackWire& wire) {
    return WirePinsText(wire) + " (" + WireSignalsText(wire) + ")";
}

std::string Rounds(std::uint64_t count) {
    return std::to_string(count) + (count == 1 ? " omgång" : " omgångar");
}

std::string TallyLine(const WireTally& tally, std::uint64_t rounds) {
    std::string line = WireName(tally.wire) + ": fel i " + std::to_string(tally.failedRounds) +
                       " av " + Rounds(rounds);
    if (tally.failedRounds > 0)
        line += ", första i omgång " + std::to_string(tally.firstRound) + " efter " +
                Decimal(std::chrono::duration<double>(tally.firstTime).count(), 6,
                        SwedishNumberFormat()) +
                " s (" + tally.firstVerdict + ")";
    return line;
}

void PrintRepeated(const std::vector<WireTally>& tallies, std::uint64_t rounds,
                   std::uint64_t failedRounds, bool interrupted, std::ostream& out) {
    for (const WireTally& tally : tallies)
        out << TallyLine(tally, rounds) << '\n';
    out << Rounds(rounds) << ", " << failedRounds << " med fel"
        << (interrupted ? " (avbrutet)" : "") << '\n'
        << std::flush;
}

} // namespace

int RunLoopbackCommand(const LoopbackPlan& plan, std::ostream& out, std::ostream& err,
                       std::function<std::chrono::nanoseconds()> clock) {
    if (!clock)
        clock = SteadyNow{};
    // Held for the whole run, so that Ctrl+C ends it between two rounds,
    // with the port put back and the counts printed.
    const DeferredTerminationSignals held;
    const std::chrono::nanoseconds start = clock();
    std::vector<WireTally> tallies;
    for (const LoopbackWire& wire : WiringOf(plan.plug))
        tallies.push_back({wire, 0, 0, {}, {}});
    std::uint64_t rounds = 0;
    std::uint64_t failedRounds = 0;
    const std::uint64_t wanted = plan.repeat.value_or(1);
    bool interrupted = false;
    while (wanted == 0 || rounds < wanted) {
        LoopbackReport report;
        try {
            report = RunLoopbackTest(plan.base, plan.plug);
        } catch (const PortError& error) {
            err << error.what() << '\n' << std::flush;
            DeferredTerminationSignals::forgetNoted();
            return 1;
        }
        ++rounds;
        failedRounds += report.passed() ? 0 : 1;
        for (std::size_t i = 0; i < report.wires.size() && i < tallies.size(); ++i) {
            if (report.wires[i].result == WireResult::Works)
                continue;
            if (tallies[i].failedRounds++ == 0) {
                tallies[i].firstRound = rounds;
                tallies[i].firstTime = clock() - start;
                tallies[i].firstVerdict = WireResultText(report, report.wires[i]);
            }
        }
        if (!plan.repeat) {
            for (const WireReport& wire : report.wires)
                out << WireName(wire.wire) << ": " << WireResultText(report, wire) << '\n';
            out << std::flush;
        }
        interrupted = DeferredTerminationSignals::noted();
        if (interrupted)
            break;
    }
    if (plan.repeat)
        PrintRepeated(tallies, rounds, failedRounds, interrupted, out);
    // The signal is answered: the run ended and said so.
    DeferredTerminationSignals::forgetNoted();
    if (!LinesArrived(out, err))
        return 1;
    return failedRounds == 0 ? 0 : 3;
}

} // namespace portprov
