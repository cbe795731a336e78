// SPDX-License-Identifier: MIT
#include "ports/RestoringSequence.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/PortError.h"
#include "ports/PortIo.h"
#include "ports/SavedRegisters.h"
#include "process/DeferredTerminationSignals.h"

#include <string>

namespace portprov {

namespace {

// Saves the registers; false when the access path does not reach them and
// the sequence takes that as an answer (steps.unreached has been told).
bool Save(SavedRegisters& saved, const SequenceSteps& steps) {
    if (!steps.unreached) {
        saved.save();
        return true;
    }
    try {
        saved.save();
        return true;
    } catch (const PortError& refusal) {
        if (refusal.kind() != PortErrorKind::NotCovered)
            throw;
        steps.unreached(refusal);
        return false;
    }
}

} // namespace

void RunRestoringSequence(std::int32_t base, std::string_view what, const SequenceSteps& steps) {
    if (!IsValidPort(base) || !IsValidPort(base + kControlOffset))
        throw PortError(PortErrorKind::RefusedInput,
                        "Ogiltig basadress för " + std::string(what) + ": " + std::to_string(base));
    if (steps.elsewhere) {
        if (RemoteSequences* elsewhere = SequencesElsewhereFor(base)) {
            steps.elsewhere(*elsewhere);
            return;
        }
    }
    const auto hold = HoldPortForSequence(base);
    // The port is put back before a signal may end the program: the guard
    // outlives the saved registers.
    const DeferredTerminationSignals signalsAfterRestore;
    SavedRegisters saved(base);
    try {
        if (Save(saved, steps))
            steps.body(saved);
    } catch (const PortError& failure) {
        saved.restoreAfter(failure);
        throw;
    }
    saved.restore();
}

} // namespace portprov
