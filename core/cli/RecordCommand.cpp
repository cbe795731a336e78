// SPDX-License-Identifier: MIT
#include "cli/RecordCommand.h"

#include "cli/ExpectedRecording.h"
#include "cli/PortOperations.h"
#include "cli/RepeatedComparison.h"
#include "cli/SummaryNumbers.h"
#include "cli/TriggerLine.h"

#include "ports/PortError.h"
#include "process/DeferredTerminationSignals.h"
#include "recording/RecordedLines.h"
#include "recording/Recorder.h"
#include "recording/RecordingFiles.h"
#include "recording/RecordingFormats.h"
#include "recording/ReferenceCheck.h"
#include "recording/WholeFile.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <new>
#include <thread>

namespace portprov {

namespace {

std::string Summary(const RecordPlan& plan, const RecorderResult& result,
                    const NumberFormat& format) {
    std::string ports;
    for (const std::uint16_t port : plan.ports)
        ports += (ports.empty() ? "" : ", ") + std::to_string(port);
    std::string line = "Inspelning av " + ports + ": " + std::to_string(result.stats.samples) +
                       " mätningar på " + Duration(result.recording.length, format) + " (" +
                       Decimal(result.stats.meanRate, 0, format) + " i sekunden), längsta glapp " +
                       Duration(result.stats.longestGap, format);
    if (plan.rate)
        line += ", " + std::to_string(result.stats.lateSamples) + " sena";
    // Beside a signal: a change may have come and gone inside a gap longer
    // than the signal's shortest step.
    if (result.stats.longGaps > 0)
        line += ", " + std::to_string(result.stats.longGaps) + " glapp längre än " +
                Duration(result.stats.gapLimit, format) + " (ändringar kan saknas)";
    line += ", " + std::to_string(result.recording.changes.size()) + " ändringar.";
    return line;
}

// The recorder's options for the plan; the trigger's pin must name one of the
// recorded lines (FindTriggerLine).
std::optional<RecorderOptions> OptionsFor(const RecordPlan& plan,
                                          const std::vector<RecordedLine>& lines,
                                          std::span<const std::uint16_t> parallelBases,
                                          std::string& refusal) {
    RecorderOptions options;
    options.ports.assign(plan.ports.begin(), plan.ports.end());
    options.rate = plan.rate;
    if (plan.samples)
        options.length = *plan.samples;
    else
        options.length = plan.duration;
    if (plan.startWrite)
        options.startWrite =
            RecorderOptions::Write{plan.startWrite->first, plan.startWrite->second};
    if (plan.trigger) {
        const TriggerLine found = FindTriggerLine(*plan.trigger, plan.ports, lines, parallelBases);
        if (!found.line) {
            refusal = found.refusal;
            return std::nullopt;
        }
        options.trigger =
            RecorderOptions::Trigger{found.line->channel, found.line->bit, found.line->inverted,
                                     plan.trigger->rising ? Edge::Rise : Edge::Fall, 0.1};
    }
    return options;
}

int Say(std::ostream& err, const std::string& text, int status) {
    err << text << '\n' << std::flush;
    return status;
}

// Runs the recorder until it ends or a signal stops it. A failed access is
// said in Swedish, and there is no result.
RecordingEnding Record(const RecorderOptions& options, std::ostream& err) {
    try {
        Recorder recorder(options);
        recorder.start();
        while (!recorder.finished()) {
            if (DeferredTerminationSignals::noted())
                recorder.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        RecorderResult result = recorder.wait();
        const bool outOfMemory = result.stats.outOfMemory;
        return {std::move(result), outOfMemory};
    } catch (const PortError& error) {
        Say(err, error.what(), 1);
        return {};
    } catch (const std::bad_alloc&) {
        return {std::nullopt, true};
    }
}

// Saves the recording in each file asked for, each whole or not at all;
// false, said, when one could not be. A file that fails does not keep the
// others from being saved.
// The port has been put back: a signal that comes now ends a save that waits
// for a pipe's reader, or for room in a pipe no one empties.
bool Save(const RecordRequest& request, const PreparedRecording& prepared,
          const RecorderResult& result, const VcdHeader& header, std::ostream& err) {
    bool saved = true;
    for (std::size_t i = 0; i < request.files.size(); ++i) {
        try {
            const DeferredTerminationSignals::Interrupting interrupting;
            SaveRecording(prepared.files[i], request.files[i].kind, result.recording,
                          prepared.lines, header,
                          [&interrupting] { return interrupting.arrived(); });
        } catch (const FileSaveError& error) {
            Say(err, error.what(), 1);
            saved = false;
        }
    }
    return saved;
}

// Each file checked before the recording; two options that name one file
// would have the second overwrite the first.
std::optional<std::pair<std::string, RecordingRefusal>>
CheckFiles(const RecordRequest& request, std::vector<SaveTarget>& targets) {
    for (const RecordFile& file : request.files) {
        try {
            targets.push_back(CheckCanSave(file.path));
        } catch (const FileSaveError& error) {
            return std::pair{std::string(error.what()), RecordingRefusal::File};
        }
        for (std::size_t i = 0; i + 1 < targets.size(); ++i) {
            if (targets[i].sameAs(targets.back()))
                return std::pair{"--" + std::string(FormatOf(request.files[i].kind).option) +
                                     " och --" + std::string(FormatOf(file.kind).option) +
                                     " kan inte spara i samma fil (" + file.path + ").",
                                 RecordingRefusal::SameFile};
        }
    }
    return std::nullopt;
}

// --expect: the reference read, and each of its lines found among the
// recorded ones, before the recording starts.
std::optional<std::pair<std::string, RecordingRefusal>> ReadExpected(const RecordRequest& request,
                                                                     PreparedRecording& prepared) {
    if (!request.expect)
        return std::nullopt;
    ReferenceResult read = ReadReferenceFile(*request.expect);
    if (!read.reference)
        return std::pair{read.refusal, RecordingRefusal::File};
    const std::vector<std::string> absent = AbsentLines(*read.reference, prepared.lines);
    if (!absent.empty())
        return std::pair{AbsentLinesText(*request.expect, absent), RecordingRefusal::Reference};
    prepared.reference = std::move(read.reference);
    return std::nullopt;
}

// --report: checked as the recording's files are, and kept apart from them
// and from the reference, which the page would replace.
std::optional<std::pair<std::string, RecordingRefusal>> CheckReport(const RecordRequest& request,
                                                                    PreparedRecording& prepared) {
    if (!request.report)
        return std::nullopt;
    const std::string& path = request.report->path;
    try {
        prepared.report = CheckCanSave(path);
    } catch (const FileSaveError& error) {
        return std::pair{std::string(error.what()), RecordingRefusal::File};
    }
    for (std::size_t i = 0; i < prepared.files.size(); ++i)
        if (prepared.files[i].sameAs(*prepared.report))
            return std::pair{"--report och --" +
                                 std::string(FormatOf(request.files[i].kind).option) +
                                 " kan inte spara i samma fil (" + path + ").",
                             RecordingRefusal::SameFile};
    std::error_code unknown;
    if (request.expect && std::filesystem::equivalent(path, *request.expect, unknown))
        return std::pair{"--report kan inte spara i referensen (" + path + ").",
                         RecordingRefusal::SameFile};
    return std::nullopt;
}

// "889 (inspelad)", "888 (signalen), 889 (inspelad)": the ports of the
// run, for the report.
ReportedRun RunOf(const RecordPlan& plan, const ReportedRun& signal) {
    std::string ports;
    for (const std::uint16_t port : plan.ports)
        ports += (ports.empty() ? "" : ", ") + std::to_string(port);
    ports += " (inspelad)";
    if (!signal.port.empty())
        ports = signal.port + " (signalen), " + ports;
    return {ports, signal.signal};
}

// The recorded line the trigger waited on, by its name in a file.
std::optional<TriggerEdge> TriggerEdgeOf(const PreparedRecording& prepared) {
    const auto& trigger = prepared.options.trigger;
    if (!trigger || !prepared.plan.trigger)
        return std::nullopt;
    for (const RecordedLine& line : prepared.lines)
        if (line.channel == trigger->channel && line.bit == trigger->bit)
            return TriggerEdge{line.wire, prepared.plan.trigger->rising};
    return std::nullopt;
}

// The recording beside the reference: a verdict a line on out, then the
// summary, and the report saved; 3 when a line differs, 1 when the report
// could not be saved.
int Compare(const RecordRequest& request, const PreparedRecording& prepared,
            const RecorderResult& result, const ReportedRun& signal, std::ostream& out,
            std::ostream& err) {
    const ReferenceComparison comparison = CompareRecorded(prepared, result);
    for (const ComparedLine& line : comparison.lines)
        out << ComparedLineText(line, SwedishNumberFormat()) << '\n';
    out << ComparisonSummary(comparison, *request.expect) << '\n' << std::flush;
    const bool reported =
        !prepared.report || !request.report->comparison ||
        SaveRunReport(*prepared.report,
                      request.report->comparison(RunOf(prepared.plan, signal), comparison), err);
    if (!LinesArrived(out, err) || !reported)
        return 1;
    return comparison.matches() ? 0 : 3;
}

// The rounds' counts instead, after a repeated run, and the report of the
// round kept; 3 when a round differed.
int PrintTally(const RecordRequest& request, const PreparedRecording& prepared,
               const RecorderResult& kept, const RepeatedRounds& repeated,
               const ReportedRun& signal, std::ostream& out, std::ostream& err) {
    for (const ComparisonTally::Line& line : repeated.tally.lines())
        out << ComparisonTallyLine(line, repeated.tally.rounds()) << '\n';
    out << ComparisonRoundsText(repeated.tally, repeated.interrupted) << '\n' << std::flush;
    const bool reported = !prepared.report || !request.report->comparison ||
                          SaveRunReport(*prepared.report,
                                        request.report->comparison(RunOf(prepared.plan, signal),
                                                                   CompareRecorded(prepared, kept)),
                                        err);
    if (!LinesArrived(out, err) || !reported)
        return 1;
    return repeated.tally.differedRounds() == 0 ? 0 : 3;
}

} // namespace

ReferenceComparison CompareRecorded(const PreparedRecording& prepared,
                                    const RecorderResult& result) {
    return CompareWithReference(
        *prepared.reference, result.recording, prepared.lines, prepared.plan.tolerance,
        ResolutionOf(result.stats, prepared.plan.rate), TriggerEdgeOf(prepared));
}

CheckedRecording PrepareRecording(const RecordRequest& request,
                                  std::span<const std::uint16_t> parallelBases,
                                  const NumberFormat& format) {
    const CheckedRecordRequest checked = CheckRecordRequest(request, format);
    if (!checked.plan)
        return {std::nullopt, checked.refusal, RecordingRefusal::Numbers};
    PreparedRecording prepared{*checked.plan, LinesOf(checked.plan->ports, parallelBases), {}, {}};
    std::string refusal;
    std::optional<RecorderOptions> options =
        OptionsFor(prepared.plan, prepared.lines, parallelBases, refusal);
    if (!options)
        return {std::nullopt, refusal, RecordingRefusal::Trigger};
    prepared.options = std::move(*options);
    // An hour's recording must not be lost to a file name that was wrong from the start.
    if (auto fileRefusal = CheckFiles(request, prepared.files))
        return {std::nullopt, fileRefusal->first, fileRefusal->second};
    if (auto expectRefusal = ReadExpected(request, prepared))
        return {std::nullopt, expectRefusal->first, expectRefusal->second};
    if (auto reportRefusal = CheckReport(request, prepared))
        return {std::nullopt, reportRefusal->first, reportRefusal->second};
    return {std::move(prepared), {}, {}};
}

int FinishRecording(const RecordRequest& request, const PreparedRecording& prepared,
                    const RecordingEnding& ending, std::chrono::system_clock::time_point started,
                    const std::string& version, std::ostream& out, std::ostream& err,
                    const ReportedRun& signal, const RepeatedRounds* repeated) {
    const RecordPlan& plan = prepared.plan;
    if (ending.result) {
        const VcdHeader header{version, started, ResolutionOf(ending.result->stats, plan.rate)};
        if (!Save(request, prepared, *ending.result, header, err))
            return 1;
        err << Summary(plan, *ending.result, SwedishNumberFormat()) << '\n' << std::flush;
    }
    // A recording that ended early for want of memory or of its edge is a
    // failure, told as such; a signal that stopped it has had its answer.
    if (ending.outOfMemory) {
        DeferredTerminationSignals::forgetNoted();
        return Say(err,
                   ending.result ? "Minnet tog slut: inspelningen slutade i förtid. Det som hann "
                                   "spelas in är sparat."
                                 : "Minnet tog slut: inspelningen slutade i förtid och kunde inte "
                                   "sparas. Spela in en kortare stund.",
                   1);
    }
    if (!ending.result)
        return 1;
    if (plan.trigger && !ending.result->recording.triggerTime) {
        DeferredTerminationSignals::forgetNoted();
        return Say(err,
                   "Flanken kom aldrig: stift " + std::to_string(plan.trigger->pin) +
                       (plan.trigger->rising ? " steg" : " föll") +
                       " inte under inspelningen. Filen har det som spelades in medan den "
                       "väntade.",
                   1);
    }
    if (repeated != nullptr)
        return PrintTally(request, prepared, *ending.result, *repeated, signal, out, err);
    if (prepared.reference)
        return Compare(request, prepared, *ending.result, signal, out, err);
    return err ? 0 : 1;
}

int RunRecordCommand(const RecordRequest& request, std::span<const std::uint16_t> parallelBases,
                     const NumberFormat& format, const std::string& version, std::ostream& out,
                     std::ostream& err) {
    const CheckedRecording checked = PrepareRecording(request, parallelBases, format);
    // A bad number, or a trigger that does not fit the registers asked for, is
    // a bad command line; a file that cannot be saved is not.
    if (!checked.prepared)
        return Say(err, checked.refusal, checked.kind == RecordingRefusal::File ? 1 : 2);

    // A signal stops the recording; the file is saved, then the program ends
    // as the signal asks.
    const DeferredTerminationSignals stopOnSignal;
    const auto started = std::chrono::system_clock::now();
    if (request.repeat && checked.prepared->reference)
        return RunRepeatedComparison(request, *checked.prepared,
                                     [&] { return Record(checked.prepared->options, err); },
                                     started, version, out, err, {});
    const RecordingEnding ending = Record(checked.prepared->options, err);
    return FinishRecording(request, *checked.prepared, ending, started, version, out, err);
}

} // namespace portprov
