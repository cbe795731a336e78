// SPDX-License-Identifier: MIT
#pragma once

#include "cli/RecordCommand.h"

#include <chrono>
#include <functional>
#include <ostream>
#include <string>

namespace portprov {

// --repeat beside --expect: runs round() (a signal and its recording, or a
// recording alone; a failed access said by it) request.repeat times, 0 until
// a termination signal, compares each recording with the prepared reference
// and counts per line (ComparisonTally). A round a signal cut short is not
// counted. A round that fails (the access, the memory, a trigger's edge that
// never came) ends the run as a single recording's failure does, after the
// counts so far. The files asked for get one recording: the first that
// differed, else the last, and so does the report, when one is asked for,
// with the signal's port and summary line (read at the end). The counts go to
// out; 3 when a round differed.
// clock: monotonic time for the first differences' times, injected by tests.
int RunRepeatedComparison(const RecordRequest& request, const PreparedRecording& prepared,
                          const std::function<RecordingEnding()>& round,
                          std::chrono::system_clock::time_point started, const std::string& version,
                          std::ostream& out, std::ostream& err, const ReportedRun& signal,
                          std::function<std::chrono::nanoseconds()> clock = {});

} // namespace portprov
