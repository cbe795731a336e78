// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

namespace portprov {

class PortError;
class RemoteSequences;
class SavedRegisters;

// What a sequence on a parallel port does, beside the holding, saving and
// putting back that RunRestoringSequence does for every one of them.
struct SequenceSteps {
    // The sequence itself: it runs with the port held for this program alone,
    // the signals that would end it held back, and the data latch and control
    // register saved (their values are there to read; keep() adds a register
    // beside them to be written back first). It may throw PortError.
    std::function<void(SavedRegisters&)> body{};
    // Where the bound backend runs the port's sequences in another process
    // (the helper portprov-io, PortBackend::sequencesElsewhere), this runs in
    // place of everything else: that process holds, saves and puts back, and
    // does so even when this program dies half way. Without it the body runs
    // here, one access at a time through the backend.
    std::function<void(RemoteSequences&)> elsewhere{};
    // When given, an access path that does not reach the registers at all
    // (saving is refused as NotCovered) is an answer rather than a failure:
    // this runs in place of the body, with the refusal, and the sequence ends
    // as after a body that succeeded.
    std::function<void(const PortError&)> unreached{};
};

// Runs steps on the parallel port at base as one sequence of accesses that
// leaves the port as it found it:
//  - a base whose registers would pass 65535 is refused with PortError
//    (RefusedInput, "Ogiltig basadress för <what>: <base>") before any port
//    is touched; what names the sequence as that sentence needs it
//    ("slingtestet");
//  - the port is held (HoldPortForSequence), so that a second program cannot
//    come between the accesses, and the termination signals are held back
//    (DeferredTerminationSignals) until the port is put back;
//  - the data latch and the control register are saved (SavedRegisters) and
//    written back after the body, also when the body or the saving throws
//    PortError, which is then passed on;
//  - a port that could not be put back ends in PortError naming the values
//    its registers should have, after the body's own failure when there was
//    one, never in a result.
void RunRestoringSequence(std::int32_t base, std::string_view what, const SequenceSteps& steps);

} // namespace portprov
