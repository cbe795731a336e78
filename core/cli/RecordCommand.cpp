// SPDX-License-Identifier: MIT
#include "cli/RecordCommand.h"

#include "ports/PortError.h"
#include "process/DeferredTerminationSignals.h"
#include "recording/RecordedLines.h"
#include "recording/Recorder.h"
#include "recording/RecordingFormats.h"
#include "recording/WholeFile.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

namespace portprov {

namespace {

// A number with the user's decimal separator and `decimals` places.
std::string Decimal(double value, int decimals, const NumberFormat& format) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result(text);
    if (const auto point = result.find('.'); point != std::string::npos)
        result.replace(point, 1, format.decimalSeparator);
    return result;
}

// "3,2 µs", "1,25 ms", "2,000 s": a time in the unit that suits it.
std::string Duration(std::chrono::nanoseconds time, const NumberFormat& format) {
    const double ns = static_cast<double>(time.count());
    if (ns < 1e3)
        return Decimal(ns, 0, format) + " ns";
    if (ns < 1e6)
        return Decimal(ns / 1e3, 1, format) + " µs";
    if (ns < 1e9)
        return Decimal(ns / 1e6, 2, format) + " ms";
    return Decimal(ns / 1e9, 3, format) + " s";
}

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
    line += ", " + std::to_string(result.recording.changes.size()) + " ändringar.";
    return line;
}

// The recorder's options for the plan; the trigger's pin must be one of the
// recorded lines.
std::optional<RecorderOptions>
OptionsFor(const RecordPlan& plan, const std::vector<RecordedLine>& lines, std::string& refusal) {
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
        const auto line = std::find_if(lines.begin(), lines.end(), [&](const RecordedLine& l) {
            return l.pin == plan.trigger->pin;
        });
        if (line == lines.end()) {
            refusal = "Stift " + std::to_string(plan.trigger->pin) +
                      " är ingen av de inspelade ledningarna: spela in registret som stiftet hör "
                      "till.";
            return std::nullopt;
        }
        options.trigger =
            RecorderOptions::Trigger{line->channel, line->bit, line->inverted,
                                     plan.trigger->rising ? Edge::Rise : Edge::Fall, 0.1};
    }
    return options;
}

} // namespace

int RunRecordCommand(const RecordRequest& request, std::span<const std::uint16_t> parallelBases,
                     const NumberFormat& format, const std::string& version, std::ostream& err) {
    const CheckedRecordRequest checked = CheckRecordRequest(request, format);
    if (!checked.plan) {
        err << checked.refusal << '\n' << std::flush;
        return 1;
    }
    const RecordPlan& plan = *checked.plan;
    const std::vector<RecordedLine> lines = LinesOf(plan.ports, parallelBases);
    std::string refusal;
    const std::optional<RecorderOptions> options = OptionsFor(plan, lines, refusal);
    if (!options) {
        err << refusal << '\n' << std::flush;
        return 1;
    }

    // A signal stops the recording; the file is saved, then the program ends.
    const DeferredTerminationSignals stopOnSignal;
    RecorderResult result;
    const auto started = std::chrono::system_clock::now();
    try {
        Recorder recorder(*options);
        recorder.start();
        while (!recorder.finished()) {
            if (DeferredTerminationSignals::noted())
                recorder.stop();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        result = recorder.wait();
    } catch (const PortError& error) {
        err << error.what() << '\n' << std::flush;
        return 1;
    }
    try {
        SaveRecording(request.file, request.fileKind, result.recording, lines,
                      VcdHeader{version, started, ResolutionOf(result.stats, plan.rate)});
    } catch (const FileSaveError& error) {
        err << error.what() << '\n' << std::flush;
        return 1;
    }
    err << Summary(plan, result, format) << '\n' << std::flush;
    return err ? 0 : 1;
}

} // namespace portprov
