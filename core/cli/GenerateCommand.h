// SPDX-License-Identifier: MIT
#pragma once

#include "cli/GenerateRequest.h"
#include "cli/RecordRequest.h"
#include "generating/Generator.h"
#include "input/Conversions.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>

namespace portprov {

// Runs a signal asked for on the command line through the program's port
// access, with a recording beside it when `record` is given, on one timeline.
// Everything that can be refused is refused before any port is touched: the
// signal's numbers and pin, the file to play, the recording's request and
// the file it is to be saved in. The recording lasts --duration, else as
// long as the signal (GeneratePlan::recordingLength). A summary line of the
// signal goes to err, then the recorder's, as RunRecordCommand says it; a
// refusal or a failed access goes there too. The termination signals
// (DeferredTerminationSignals) stop the signal early, the port is put back, what was recorded is
// saved, and the program then ends as the signal asks. Returns the exit status: 2 for a bad command
// line (its numbers, the recording's too), 1 for a file that cannot be read or saved, a refusal at
// the port or a failed access, 0 when the signal ran and the recording was saved, 3 when it was
// compared with a reference (--expect) and a line differs, its verdicts on out.
int RunGenerateCommand(const GenerateRequest& request, const std::optional<RecordRequest>& record,
                       std::span<const std::uint16_t> parallelBases, const NumberFormat& format,
                       const std::string& version, std::ostream& out, std::ostream& err,
                       Generator::Clock clock = {});

} // namespace portprov
