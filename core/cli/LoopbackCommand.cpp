// SPDX-License-Identifier: MIT
#include "cli/LoopbackCommand.h"

#include "cli/PortOperations.h"
#include "loopback/LoopbackTally.h"
#include "loopback/LoopbackTest.h"
#include "loopback/LoopbackTexts.h"
#include "ports/PortError.h"
#include "process/DeferredTerminationSignals.h"
#include "process/SteadyNow.h"
#include "recording/WholeFile.h"

#include <utility>

namespace portprov {

namespace {

void PrintRepeated(const LoopbackTally& tally, bool interrupted, std::ostream& out) {
    for (const WireTally& wire : tally.wires())
        out << WireTallyLine(wire, tally.rounds()) << '\n';
    out << RoundsText(tally) << (interrupted ? " (avbrutet)" : "") << '\n' << std::flush;
}

} // namespace

int RunLoopbackCommand(const LoopbackPlan& plan, std::ostream& out, std::ostream& err,
                       std::function<std::chrono::nanoseconds()> clock) {
    if (!clock)
        clock = SteadyNow{};
    // The report's file is checked before the port is touched, as a
    // recording's is.
    std::optional<SaveTarget> reportTarget;
    try {
        if (plan.report && plan.report->loopback)
            reportTarget = CheckCanSave(plan.report->path);
    } catch (const FileSaveError& error) {
        err << error.what() << '\n' << std::flush;
        return 1;
    }
    // Held for the whole run, so that Ctrl+C ends it between two rounds,
    // with the port put back and the counts printed.
    const DeferredTerminationSignals held;
    LoopbackTally tally(plan.plug, std::move(clock));
    const std::uint64_t wanted = plan.repeat.value_or(1);
    bool interrupted = false;
    while (wanted == 0 || tally.rounds() < wanted) {
        LoopbackReport report;
        try {
            report = RunLoopbackTest(plan.base, plan.plug);
        } catch (const PortError& error) {
            err << error.what() << '\n' << std::flush;
            DeferredTerminationSignals::forgetNoted();
            return 1;
        }
        tally.add(report);
        if (!plan.repeat) {
            for (const WireReport& wire : report.wires)
                out << WireText(wire.wire) << ": " << WireResultText(report, wire) << '\n';
            out << std::flush;
        }
        interrupted = DeferredTerminationSignals::noted();
        if (interrupted)
            break;
    }
    if (plan.repeat)
        PrintRepeated(tally, interrupted, out);
    // The signal is answered: the run ended and said so.
    DeferredTerminationSignals::forgetNoted();
    const bool reported =
        !reportTarget || SaveRunReport(*reportTarget,
                                       plan.report->loopback({std::to_string(plan.base), {}},
                                                             plan.plug, tally, interrupted),
                                       err);
    if (!LinesArrived(out, err) || !reported)
        return 1;
    return tally.failedRounds() == 0 ? 0 : 3;
}

} // namespace portprov
