// SPDX-License-Identifier: MIT
#include "cli/GenerateCommand.h"

#include "cli/RecordCommand.h"
#include "cli/RepeatedComparison.h"
#include "cli/SummaryNumbers.h"
#include "generating/PlayedFile.h"
#include "ports/PortError.h"
#include "process/DeferredTerminationSignals.h"

#include <chrono>
#include <filesystem>
#include <new>
#include <thread>
#include <variant>

namespace portprov {

namespace {

int Say(std::ostream& err, const std::string& text, int status) {
    err << text << '\n' << std::flush;
    return status;
}

std::string PinsOf(const Waveform& waveform) {
    std::string pins;
    for (const int pin : WaveformPins(waveform))
        pins += (pins.empty() ? "" : ", ") + std::to_string(pin);
    return pins;
}

// "Signal på stift 2: 1000 Hz, 50 perioder, längsta försening 3,2 µs, 0 sena,
// 0 förvrängda perioder, realtidsprioritet: ja."
std::string Summary(const Waveform& waveform, const GeneratorStats& stats,
                    const NumberFormat& format) {
    const auto rate = [&](double asked) {
        const double hz = stats.achievedHz > 0.0 ? stats.achievedHz : asked;
        return Decimal(hz, hz < 100.0 ? 2 : 0, format) + " Hz, ";
    };
    const std::string pins = PinsOf(waveform);
    // What the signal is made of, counted as made and as distorted.
    std::string unit;
    std::string line =
        std::visit(Overloaded{[&](const SquareWave& square) {
                                  unit = " perioder";
                                  return "Signal på stift " + pins + ": " + rate(square.hz) +
                                         std::to_string(stats.periods) + unit;
                              },
                              [&](const PulseTrain& pulses) {
                                  unit = " pulser";
                                  return "Signal på stift " + pins + ": " + rate(pulses.hz) +
                                         std::to_string(stats.periods) + unit;
                              },
                              [&](const PlayedSequence& played) {
                                  unit = " ändringar";
                                  return "Uppspelning på stift " + pins + ": " +
                                         std::to_string(PlayedChangeCount(played)) + unit;
                              }},
                   waveform);
    line += ", längsta försening " + Duration(stats.worstLateness, format) + ", " +
            std::to_string(stats.lateWrites) + " sena, " + std::to_string(stats.distortedPeriods) +
            " förvrängda" + unit + ", realtidsprioritet: " + (stats.realTime ? "ja." : "nej.");
    if (stats.stopped)
        line += " Signalen stoppades i förtid.";
    return line;
}

// What the run ended with: the generator's result, unless the run failed
// (said), and whether the memory ran out on the way.
struct Run {
    std::optional<GeneratorResult> result;
    bool outOfMemory = false;
};

// Runs the generator until the signal ends or a termination signal stops it.
Run Generate(GeneratorOptions options, Generator::Clock clock, std::ostream& err) {
    try {
        Generator generator(std::move(options), std::move(clock));
        generator.start();
        while (!generator.finished()) {
            if (DeferredTerminationSignals::noted())
                generator.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return {generator.wait(), false};
    } catch (const PortError& error) {
        Say(err, error.what(), 1);
        return {};
    } catch (const std::bad_alloc&) {
        return {std::nullopt, true};
    }
}

// The recording the run made beside the signal, and whether memory ran out.
RecordingEnding EndingOf(Run& run) {
    RecordingEnding ending{run.result ? std::move(run.result->recorded) : std::nullopt,
                           run.outOfMemory};
    if (ending.result && ending.result->stats.outOfMemory)
        ending.outOfMemory = true;
    return ending;
}

} // namespace

int RunGenerateCommand(const GenerateRequest& request, const std::optional<RecordRequest>& record,
                       std::span<const std::uint16_t> parallelBases, const NumberFormat& format,
                       const std::string& version, std::ostream& out, std::ostream& err,
                       Generator::Clock clock) {
    const CheckedGenerateRequest checked =
        CheckGenerateRequest(request, record.has_value(), format);
    if (!checked.plan)
        return Say(err, checked.refusal, checked.status);
    GeneratorOptions options{checked.plan->base, checked.plan->waveform};
    std::optional<PreparedRecording> recording;
    if (record) {
        CheckedRecording prepared = PrepareRecording(*record, parallelBases, format);
        // Beside the signal its numbers are the command line's, as the signal's are.
        if (!prepared.prepared)
            return Say(err, prepared.refusal, prepared.kind == RecordingRefusal::File ? 1 : 2);
        // The played file is the user's own: a report must not replace it.
        std::error_code unknown;
        if (record->report && request.kind == GenerateRequest::Kind::Play &&
            std::filesystem::equivalent(record->report->path, request.signal, unknown))
            return Say(err, "--report kan inte spara i filen som spelas (" + request.signal + ").",
                       2);
        recording = std::move(prepared.prepared);
        if (!record->duration && !record->samples) {
            if (checked.plan->recordingLength > kLongestRecording)
                return Say(err,
                           "Signalen varar " +
                               Duration(checked.plan->recordingLength, SwedishNumberFormat()) +
                               ", längre än en inspelning får vara (" +
                               std::to_string(kLongestRecording.count()) + " s).",
                           2);
            recording->options.length = checked.plan->recordingLength;
        }
        options.recording = recording->options;
    }

    // A signal stops the run; the port is put back, the recording saved, then
    // the program ends as the signal asks.
    const DeferredTerminationSignals stopOnSignal;
    const auto started = std::chrono::system_clock::now();
    if (record && record->repeat && recording->reference) {
        // The report names the round kept by the last round's summary.
        ReportedRun lastSignal{std::to_string(checked.plan->base), {}};
        return RunRepeatedComparison(
            *record, *recording,
            [&] {
                Run round = Generate(options, clock, err);
                if (round.result)
                    lastSignal.signal =
                        Summary(checked.plan->waveform, round.result->stats, SwedishNumberFormat());
                return EndingOf(round);
            },
            started, version, out, err, lastSignal);
    }
    Run run = Generate(std::move(options), std::move(clock), err);
    // The report names the signal as the summary line does.
    ReportedRun signal{std::to_string(checked.plan->base), {}};
    if (run.result) {
        signal.signal = Summary(checked.plan->waveform, run.result->stats, SwedishNumberFormat());
        Say(err, signal.signal, 0);
    }
    // A recording's file has the inputs beside the outputs: say they were
    // passed over, not played.
    if (run.result && !checked.plan->ignored.empty())
        Say(err, IgnoredColumnsNote(checked.plan->ignored), 0);
    if (!record) {
        if (run.outOfMemory)
            return Say(err, "Minnet tog slut: signalen slutade i förtid.", 1);
        return run.result && err ? 0 : 1;
    }
    const int saved =
        FinishRecording(*record, *recording, EndingOf(run), started, version, out, err, signal);
    return run.result ? saved : 1;
}

} // namespace portprov
