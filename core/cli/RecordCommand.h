// SPDX-License-Identifier: MIT
#pragma once

#include "cli/ComparisonTally.h"
#include "cli/RecordRequest.h"
#include "input/Conversions.h"
#include "recording/RecordedLines.h"
#include "recording/Recorder.h"
#include "recording/ReferenceFile.h"
#include "recording/SaveTarget.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace portprov {

// Runs a recording asked for on the command line through the program's port
// access and saves it, each file whole or not at all, as VCD, CSV or both.
// Everything that can be refused is refused before any port is touched: the
// numbers, a trigger that names no recorded line or more than one, a file
// that could not be saved, two files that would be one. A summary line goes
// to err, never to the standard output, which may carry a file ("-"): rounds,
// rate, longest gap, late rounds at a fixed rate, its numbers the Swedish way
// (SwedishNumberFormat). So does a refusal, a failed access or a file that could
// not be saved. The termination signals (DeferredTerminationSignals; one the
// program was started to ignore stays ignored) stop the recording early: what
// was recorded is saved, and the program then ends as the signal asks. One
// that comes while a file is being saved ends a save that waits on a pipe no
// one reads, said so. A recording cut short by a memory that ran out, or
// stopped before its trigger's edge came, is saved as far as it went, that is
// said, and the status is 1 whatever stopped it.
// parallelBases: the bases the computer reports. version: the program's name
// and version, for the VCD header. Returns the exit status: 0 when saved, 2
// for a bad command line (a number, a trigger that does not fit the
// registers, two files that are one), 1 otherwise.
// With --expect the recording is then compared with the reference, read and
// matched to the recorded lines before any port is touched: a line a verdict
// on out (ComparedLineText), then the summary; the status is 3 when a line
// differs. A reference line the recording does not have is a bad command
// line (2), a reference that cannot be read a file's failure (1).
// With --report the comparison's page is saved too, whatever the verdict,
// checked before the run as the files are; one that names a file the
// recording saves or the reference is a bad command line (2), one that
// cannot be saved makes the status 1.
int RunRecordCommand(const RecordRequest& request, std::span<const std::uint16_t> parallelBases,
                     const NumberFormat& format, const std::string& version, std::ostream& out,
                     std::ostream& err);

// The steps of a recording asked for on the command line, for a command that
// runs the recorder its own way (beside the signal generator).
//
// The request checked before any port is touched: the plan, the lines it
// shows, the recorder's options, and the files that can be saved, where they
// are then saved (in the order of the request's files).
struct PreparedRecording {
    RecordPlan plan;
    std::vector<RecordedLine> lines;
    RecorderOptions options;
    std::vector<SaveTarget> files;
    std::optional<Reference> reference{}; // --expect's, read
    std::optional<SaveTarget> report{};   // --report's, checked
};
// What was refused: a number, a trigger that does not fit the registers, two
// files that are one, a reference with lines the recording lacks (all four a
// bad command line), or a file.
enum class RecordingRefusal { Numbers, Trigger, SameFile, Reference, File };
struct CheckedRecording {
    std::optional<PreparedRecording> prepared;
    std::string refusal;
    RecordingRefusal kind = RecordingRefusal::Numbers;
};
CheckedRecording PrepareRecording(const RecordRequest& request,
                                  std::span<const std::uint16_t> parallelBases,
                                  const NumberFormat& format);

// What a recording ended with: its result, unless it failed before it had
// one, and whether the memory ran out on the way.
struct RecordingEnding {
    std::optional<RecorderResult> result;
    bool outOfMemory = false;
};
// The rounds of a repeated comparison, counted (RunRepeatedComparison).
struct RepeatedRounds {
    ComparisonTally tally;
    bool interrupted = false; // a termination signal ended the run
};

// Saves what was recorded, whole or not at all, says the summary and what
// cut the recording short, and compares it with the reference, as
// RunRecordCommand does, or after repeated rounds prints their counts; the
// exit status. signal: the signal's port and summary line, for the report
// (after repeated rounds, of the round kept).
int FinishRecording(const RecordRequest& request, const PreparedRecording& prepared,
                    const RecordingEnding& ending, std::chrono::system_clock::time_point started,
                    const std::string& version, std::ostream& out, std::ostream& err,
                    const ReportedRun& signal = {}, const RepeatedRounds* repeated = nullptr);

// A recording beside the prepared reference, on one time axis.
ReferenceComparison CompareRecorded(const PreparedRecording& prepared,
                                    const RecorderResult& result);

} // namespace portprov
