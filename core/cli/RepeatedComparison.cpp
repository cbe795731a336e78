// SPDX-License-Identifier: MIT
#include "cli/RepeatedComparison.h"

#include "process/DeferredTerminationSignals.h"
#include "process/SteadyNow.h"

namespace portprov {

int RunRepeatedComparison(const RecordRequest& request, const PreparedRecording& prepared,
                          const std::function<RecordingEnding()>& round,
                          std::chrono::system_clock::time_point started, const std::string& version,
                          std::ostream& out, std::ostream& err, const ReportedRun& signal,
                          std::function<std::chrono::nanoseconds()> clock) {
    if (!clock)
        clock = SteadyNow{};
    const std::chrono::nanoseconds start = clock();
    RepeatedRounds repeated;
    RecordingEnding kept;
    bool keptDiffers = false;
    const std::uint64_t wanted = request.repeat.value_or(1);
    while (wanted == 0 || repeated.tally.rounds() < wanted) {
        RecordingEnding ending = round();
        const bool failed = !ending.result || ending.outOfMemory ||
                            (prepared.plan.trigger && !ending.result->recording.triggerTime);
        repeated.interrupted = DeferredTerminationSignals::noted();
        if (failed) {
            if (repeated.tally.rounds() > 0) {
                for (const ComparisonTally::Line& line : repeated.tally.lines())
                    out << ComparisonTallyLine(line, repeated.tally.rounds()) << '\n';
                out << ComparisonRoundsText(repeated.tally, true) << '\n' << std::flush;
            }
            return FinishRecording(request, prepared, ending, started, version, out, err, signal);
        }
        // Cut short, it would differ for that alone; the first round is kept
        // all the same, to be saved.
        if (repeated.interrupted && repeated.tally.rounds() > 0)
            break;
        const ReferenceComparison comparison = CompareRecorded(prepared, *ending.result);
        if (!repeated.interrupted)
            repeated.tally.add(comparison, clock() - start);
        if (!keptDiffers) {
            keptDiffers = !repeated.interrupted && !comparison.matches();
            kept = std::move(ending);
        }
        if (repeated.interrupted)
            break;
    }
    const int status =
        FinishRecording(request, prepared, kept, started, version, out, err, signal, &repeated);
    // The signal is answered: the run ended and said so.
    DeferredTerminationSignals::forgetNoted();
    return status;
}

} // namespace portprov
