// SPDX-License-Identifier: MIT
// How close the recorder comes to the fastest the simulated PC can be read:
// a bare loop of backend.read(889) against the recorder at its fastest on
// 889, turn about, and their ratio; between them the bare loop with a clock
// reading per read. The simulated PC is bound as `portprov --simulate` binds
// it, and the loops read through the reader a DirectPortSequence hands out
// (DirectPortSequence::reader), as the recorder does, so that all three take
// the same path.
// scripts/bench-recorder runs it.
//     recorder_bench [--seconds S] [--turns N]
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"
#include "recording/Recorder.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <span>
#include <vector>

// Where the bare loop's reads go, so that none of them is left out.
volatile unsigned benchSink = 0;

namespace {

using Clock = std::chrono::steady_clock;

// Reads for `seconds` through the sequence's reader, as the recorder does,
// looking at the clock once every `readsPerClock` reads: 4096 makes the
// clock cost the loop next to nothing; 1 times each read, as the recorder
// times each one, and shows how much of the difference the clock alone makes.
double ReadsPerSecond(portprov::HeldReader read, double seconds, int readsPerClock) {
    std::uint64_t reads = 0;
    unsigned sink = 0;
    const auto start = Clock::now();
    const auto end = start + std::chrono::duration<double>(seconds);
    auto now = start;
    while (now < end) {
        for (int i = 0; i < readsPerClock; ++i)
            sink += read(889);
        reads += static_cast<std::uint64_t>(readsPerClock);
        now = Clock::now();
    }
    benchSink = sink;
    return static_cast<double>(reads) / std::chrono::duration<double>(now - start).count();
}

portprov::RecorderResult RecordFastest(double seconds) {
    portprov::RecorderOptions options;
    options.ports = {889};
    options.length = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(seconds));
    portprov::Recorder recorder(options);
    recorder.start();
    return recorder.wait();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    double seconds = 1.0;
    int turns = 5;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--seconds") == 0)
            seconds = std::atof(argv[i + 1]);
        else if (std::strcmp(argv[i], "--turns") == 0)
            turns = std::atoi(argv[i + 1]);
    }
    if (seconds <= 0.0 || turns < 1) {
        std::fprintf(stderr, "usage: %s [--seconds S] [--turns N]\n", argv[0]);
        return 2;
    }
    portprov::SelectPortBackend([] { return std::make_unique<portprov::SimulatedPc>(); });
    const std::int32_t port = 889;

    std::vector<double> bare, timed, recorded, ratios;
    std::chrono::nanoseconds longestGap{};
    std::printf(
        "turn  bare loop reads/s  timed loop reads/s  recorder reads/s  ratio  longest gap\n");
    for (int turn = 1; turn <= turns; ++turn) {
        double bareRate = 0.0, timedRate = 0.0;
        {
            const portprov::DirectPortSequence sequence(std::span(&port, 1));
            bareRate = ReadsPerSecond(sequence.reader(), seconds, 4096);
            timedRate = ReadsPerSecond(sequence.reader(), seconds, 1);
        }
        const portprov::RecorderResult result = RecordFastest(seconds);
        const double recorderRate = result.stats.meanRate;
        bare.push_back(bareRate);
        timed.push_back(timedRate);
        recorded.push_back(recorderRate);
        ratios.push_back(recorderRate / bareRate);
        longestGap = std::max(longestGap, result.stats.longestGap);
        std::printf("%4d  %17.0f  %18.0f  %16.0f  %4.0f %%  %8.1f µs\n", turn, bareRate, timedRate,
                    recorderRate, 100.0 * recorderRate / bareRate,
                    static_cast<double>(result.stats.longestGap.count()) / 1e3);
    }
    const double ratio = Median(ratios);
    std::printf(
        "median: bare loop %.0f reads/s, timed loop %.0f reads/s, recorder %.0f "
        "reads/s, recorder/bare %.0f %% (goal >= 90 %%), longest gap of all turns %.1f µs\n",
        Median(bare), Median(timed), Median(recorded), 100.0 * ratio,
        static_cast<double>(longestGap.count()) / 1e3);
    return 0;
}
