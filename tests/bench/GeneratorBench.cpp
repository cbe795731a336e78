// SPDX-License-Identifier: MIT
// How punctually the generator writes on the simulated PC: a square wave on
// pin 2 at the rates asked for, each for a while, through the Generator as
// `portprov --simulate --square 2:HZ` runs it (the simulated PC bound as
// --simulate binds it, real-time priority where the system grants it).
// Prints one line per rate: the writes, the achieved frequency, the median
// and worst lateness and the writes later than a tenth of a half period.
// scripts/bench-generator runs it, idle and beside busy loops.
//     generator_bench [--seconds S] [--hz HZ]...     # 2 s each of 1000 and 10000 Hz
//     generator_bench --normal-priority             # without asking for real-time priority
#include "generating/Generator.h"
#include "ports/PortIo.h"
#include "ports/simulated/SimulatedPc.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

double Microseconds(std::chrono::nanoseconds time) {
    return static_cast<double>(time.count()) / 1000.0;
}

portprov::GeneratorStats Square(double hz, double seconds, bool realTime) {
    portprov::GeneratorOptions options;
    options.realTime = realTime;
    options.waveform = portprov::SquareWave{{2},
                                            hz,
                                            50.0,
                                            std::chrono::duration_cast<std::chrono::nanoseconds>(
                                                std::chrono::duration<double>(seconds))};
    portprov::Generator generator(options);
    generator.start();
    return generator.wait().stats;
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
    for (int i = 1; i < argc; ++i) {
        const bool valued = i + 1 < argc;
        if (std::strcmp(argv[i], "--normal-priority") == 0)
            realTime = false;
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
    portprov::SelectPortBackend([] { return std::make_unique<portprov::SimulatedPc>(); });
    std::printf("| square wave | s | writes | achieved Hz | median lateness µs | worst lateness "
                "µs | late writes | real-time |\n");
    std::printf("|---:|---:|---:|---:|---:|---:|---:|---|\n");
    for (const double hz : rates) {
        const portprov::GeneratorStats stats = Square(hz, seconds, realTime);
        std::printf("| %.0f Hz | %.1f | %llu | %.2f | %.2f | %.1f | %llu | %s%s |\n", hz, seconds,
                    static_cast<unsigned long long>(stats.writes), stats.achievedHz,
                    Microseconds(stats.medianLateness), Microseconds(stats.worstLateness),
                    static_cast<unsigned long long>(stats.lateWrites),
                    stats.realTime ? "yes" : "no", stats.memoryLocked ? ", memory locked" : "");
        std::fflush(stdout);
    }
    return 0;
}
