// SPDX-License-Identifier: MIT
// How punctually the generator writes on the simulated PC: a square wave on
// pin 2 at the rates asked for, each for a while, through the Generator as
// `portprov --simulate --square 2:HZ` runs it (the simulated PC bound as
// --simulate binds it, real-time priority where the system grants it).
// Prints one line per rate: the writes, the achieved frequency, the median
// and worst lateness, the writes later than a tenth of a half period and the
// periods that came out distorted. With --record the wave is recorded on the
// status register through the data plug, as `portprov --simulate --plug=data
// --square 2:HZ --record 889` does, and the recording itself is measured:
// the edges of pin 15 it holds out of those the wave has, the shortest time
// between two of them as a share of a half period, and its gaps longer than
// a half period. scripts/bench-generator runs it, idle and beside busy loops.
//     generator_bench [--seconds S] [--hz HZ]...     # 2 s each of 1000 and 10000 Hz
//     generator_bench --normal-priority             # without asking for real-time priority
//     generator_bench --record --seconds 10 --hz 1000
#include "generating/Generator.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/RecordedLines.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

double Microseconds(std::chrono::nanoseconds time) {
    return static_cast<double>(time.count()) / 1000.0;
}

using std::chrono::nanoseconds;

// The recorded edges of pin 15 and the shortest time between two of them.
struct Edges {
    std::uint64_t count = 0;
    nanoseconds shortest = nanoseconds::max();
};

Edges Pin15Edges(const portprov::Recording& recording) {
    const auto lines = portprov::LinesOf(recording.ports);
    const auto line = std::find_if(lines.begin(), lines.end(),
                                   [](const portprov::RecordedLine& l) { return l.pin == 15; });
    Edges edges;
    bool level = portprov::LevelOf(*line, recording.initial[line->channel]);
    std::optional<nanoseconds> last;
    for (const portprov::Recording::Change& change : recording.changes) {
        if (change.channel != line->channel || portprov::LevelOf(*line, change.value) == level)
            continue;
        level = !level;
        ++edges.count;
        if (last)
            edges.shortest = std::min(edges.shortest, change.time - *last);
        last = change.time;
    }
    return edges;
}

portprov::GeneratorResult Square(double hz, double seconds, bool realTime, bool record) {
    portprov::GeneratorOptions options;
    options.realTime = realTime;
    options.waveform = portprov::SquareWave{{2},
                                            hz,
                                            50.0,
                                            std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                std::chrono::duration<double>(seconds))};
    if (record) {
        portprov::RecorderOptions recording;
        recording.ports = {889};
        recording.length = std::get<portprov::SquareWave>(options.waveform).duration;
        options.recording = recording;
    }
    portprov::Generator generator(options);
    generator.start();
    return generator.wait();
}

void PrintRecorded(double hz, const portprov::RecorderResult& recorded) {
    const Edges edges = Pin15Edges(recorded.recording);
    const double halfPeriod = 0.5e9 / hz;
    const double wanted = 2.0 * hz * static_cast<double>(recorded.recording.length.count()) / 1e9;
    std::printf("    recorded on 889: %llu edges of pin 15 of %.0f (%.2f %%), shortest half "
                "period %.1f %% of its length, %llu gaps longer than %.1f µs, longest gap %.1f µs\n",
                static_cast<unsigned long long>(edges.count), wanted,
                100.0 * static_cast<double>(edges.count) / wanted,
                edges.count > 1 ? 100.0 * static_cast<double>(edges.shortest.count()) / halfPeriod
                                : 0.0,
                static_cast<unsigned long long>(recorded.stats.longGaps),
                Microseconds(recorded.stats.gapLimit), Microseconds(recorded.stats.longestGap));
}

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s [--seconds S] [--hz 1-100000]... [--normal-priority]\n",
                 program);
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 2.0;
    std::vector<double> rates;
    bool realTime = true;
    bool record = false;
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--normal-priority") == 0)
            realTime = false;
        else if (std::strcmp(argv[i], "--record") == 0)
            record = true;
        else if (valued && std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atof(argv[++i]);
        else if (valued && std::strcmp(argv[i], "--hz") == 0)
            rates.push_back(std::atof(argv[++i]));
        else
            return Usage(argv[0]);
    }
    if (rates.empty())
        rates = {1000.0, 10000.0};
    for (const double hz : rates) {
        if (seconds <= 0.0 || hz < portprov::kLowestSignalRate || hz > portprov::kHighestSignalRate)
            return Usage(argv[0]);
    }
    portprov::SelectPortBackend([record] {
        auto pc = std::make_unique<portprov::SimulatedPc>();
        if (record)
            pc->insertPlug(portprov::LoopbackPlug::Data);
        return pc;
    });
    std::printf("| square wave | s | writes | achieved Hz | median lateness µs | worst lateness "
                "µs | late writes | distorted periods | real-time |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (const double hz : rates) {
        const portprov::GeneratorResult result = Square(hz, seconds, realTime, record);
        const portprov::GeneratorStats& stats = result.stats;
        std::printf("| %.0f Hz | %.1f | %llu | %.2f | %.2f | %.1f | %llu | %llu | %s%s |\n", hz,
                    seconds, static_cast<unsigned long long>(stats.writes), stats.achievedHz,
                    Microseconds(stats.medianLateness), Microseconds(stats.worstLateness),
                    static_cast<unsigned long long>(stats.lateWrites),
                    static_cast<unsigned long long>(stats.distortedPeriods),
                    stats.realTime ? "yes" : "no", stats.memoryLocked ? ", memory locked" : "");
        if (result.recorded)
            PrintRecorded(hz, *result.recorded);
        std::fflush(stdout);
    }
    return 0;
}
