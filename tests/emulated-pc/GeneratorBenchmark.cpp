// SPDX-License-Identifier: MIT
// How fast the signal generator can toggle a pin through each of the
// program's paths (raw I/O, /dev/port, ppdev), beside a bare loop writing the
// same two values to 888 with the access that path is built on: outb, pwrite
// on /dev/port, the PPWDATA ioctl. Runs as root inside the emulated PC after
// the port benchmark; it only reports.
//
// The generator's fastest toggle: its loop (SignalLoop) over the writes of a
// square wave on pin 2 so fast (kAbsurdRate) that every write is due at once,
// written as the Generator writes them, through the held writer of the
// DirectPortSequence that holds the port. The loop then writes in bursts that
// look at the clock once per burst; beside the writes it steps its schedule
// and tallies each write's lateness. A third loop writes through that same held writer without the
// generator's loop around it, so that the table tells what the backend's own write costs apart from
// what the generator's loop costs, and the loop runs once more writing nowhere, which is its own
// cost per write. They take turns, so that a change in the machine's load hits all alike; each
// figure is the median of the turns.

#include "generating/SignalLoop.h"
#include "generating/WriteSchedule.h"
#include "ports/PortIo.h"
#include "ports/linux/DevPortFile.h"
#include "ports/linux/ParallelPortDiscovery.h"
#include "ports/linux/PpdevPorts.h"
#include "ports/linux/RawX86Ports.h"
#include "process/SteadyNow.h"

#include "BenchmarkLoops.h"

#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <linux/ppdev.h>
#include <memory>
#include <stdexcept>
#include <string>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace guest_bench;
using std::chrono::nanoseconds;

constexpr std::int32_t kData = 888;
constexpr std::int32_t kControl = 890;
constexpr std::uint8_t kControlIdle = 0x0C; // selected, out of reset, no strobe
// Pin 2 is D0: the two values every loop writes to 888 in turn.
constexpr std::uint8_t kLow = 0x00;
constexpr std::uint8_t kHigh = 0x01;
// Periods a second: far beyond any port, so that each write is due before
// the one before it has gone out. The schedule checks no rate.
constexpr double kAbsurdRate = 1e12;
constexpr int kTurns = 5;
constexpr std::chrono::duration<double> kTurnLength = std::chrono::milliseconds(100);

volatile std::uint8_t gSink; // keeps the bare loops' failures from being optimised away

// Writes a second of `write(value)` with the two values in turn, for
// kTurnLength; the clock is read once every 64 writes.
template <typename Write> double WritesPerSecond(Write& write) {
    constexpr long kBetweenClockReads = 64;
    long writes = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
        for (long i = 0; i < kBetweenClockReads; i += 2) {
            write(kHigh);
            write(kLow);
        }
        writes += kBetweenClockReads;
        now = Clock::now();
    } while (now - start < kTurnLength);
    return static_cast<double>(writes) / std::chrono::duration<double>(now - start).count();
}

// The generator's loop over `writes` writes of the square wave, each made by
// `write`: writes a second.
template <typename Write> double GeneratorWritesPerSecond(Write write, std::uint64_t writes) {
    // One period of the wave is two writes, and a nanosecond of it holds
    // kAbsurdRate / 1e9 periods: the length is rounded up to whole nanoseconds.
    const auto length = nanoseconds(static_cast<std::int64_t>(
        std::ceil(static_cast<double>(writes) / 2.0 / (kAbsurdRate / 1e9))));
    portprov::WriteSchedule schedule(portprov::SquareWave{{2}, kAbsurdRate, 50.0, length}, kData,
                                     kLow, kControlIdle);
    std::atomic<bool> stop{false};
    std::atomic<double> progress{0.0};
    portprov::SignalLoop<portprov::SteadyNow, Write, true> loop(schedule, portprov::SteadyNow{}, write, stop, progress);
    const auto start = Clock::now();
    loop.run();
    const std::chrono::duration<double> spent = Clock::now() - start;
    const portprov::GeneratorStats stats = loop.stats();
    if (stats.writes != schedule.total())
        std::printf("GUEST FAIL: the generator made %llu of %llu writes\n",
                    static_cast<unsigned long long>(stats.writes),
                    static_cast<unsigned long long>(schedule.total()));
    return static_cast<double>(stats.writes) / spent.count();
}

// Through the sequence's held writer, as Generator writes.
double GeneratorWritesPerSecond(const portprov::DirectPortSequence& sequence,
                                std::uint64_t writes) {
    return GeneratorWritesPerSecond(sequence.writer(), writes);
}

// The loop alone, its writes going nowhere: what it costs beside the port.
double LoopAloneWritesPerSecond(std::uint64_t writes) {
    return GeneratorWritesPerSecond([](std::uint16_t, std::uint8_t value) { gSink = value; },
                                    writes);
}

struct Row {
    std::string path;
    std::string bareName;
    double bare = 0;      // writes a second, median of the turns
    double backend = 0;   // the same through the sequence's held writer
    double generator = 0; // the generator's loop through that backend
    double loopAlone = 0; // the generator's loop writing nowhere
    double share = 0;     // percent of the bare loop, the median of the turns' own ratios
};

// Binds the program's path and holds 888 and 890 as the Generator does.
struct Held {
    std::unique_ptr<portprov::DirectPortSequence> sequence;
};

void Enter(const portprov::BackendFactory& factory, Held& held) {
    portprov::SelectPortBackend(factory);
    portprov::DlPortWritePortUchar(kControl, kControlIdle);
    portprov::DlPortWritePortUchar(kData, kLow);
    const std::int32_t registers[] = {kData, kControl};
    held.sequence = std::make_unique<portprov::DirectPortSequence>(registers);
}

void Leave(Held& held) {
    held.sequence.reset();
    portprov::SelectPortBackend({});
}

// The bare loop, the backend's loop and the generator in turn, kTurns times;
// a path that cannot be had is left out of the table with a line saying why.
template <typename BareWrite>
void MeasurePath(std::vector<Row>& rows, const std::string& path, const Setup& bare,
                 const std::string& bareName, BareWrite bareWrite,
                 const portprov::BackendFactory& factory) {
    try {
        std::array<double, kTurns> bareRates{};
        std::array<double, kTurns> backendRates{};
        std::array<double, kTurns> generatorRates{};
        std::array<double, kTurns> loopAloneRates{};
        std::array<double, kTurns> shares{};
        for (int turn = 0; turn < kTurns; ++turn) {
            bare.enter();
            bareRates[turn] = WritesPerSecond(bareWrite);
            bare.leave();
            Held held;
            Enter(factory, held);
            const portprov::HeldWriter writer = held.sequence->writer();
            auto backendWrite = [&writer](std::uint8_t value) { writer(kData, value); };
            backendRates[turn] = WritesPerSecond(backendWrite);
            // As many writes as the backend's loop made in its turn.
            generatorRates[turn] = GeneratorWritesPerSecond(
                *held.sequence,
                static_cast<std::uint64_t>(backendRates[turn] * kTurnLength.count()));
            Leave(held);
            loopAloneRates[turn] = LoopAloneWritesPerSecond(
                static_cast<std::uint64_t>(generatorRates[turn] * kTurnLength.count()));
            shares[turn] = generatorRates[turn] / bareRates[turn] * 100.0;
        }
        rows.push_back({path, bareName, Median(bareRates), Median(backendRates),
                        Median(generatorRates), Median(loopAloneRates), Median(shares)});
    } catch (const std::exception& error) {
        std::printf("%s: generator not measured: %s\n", path.c_str(), error.what());
    }
    portprov::SelectPortBackend({});
}

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void MeasureRawIo(std::vector<Row>& rows) {
    // The grant stays for the whole run, as the backend's grant does.
    if (ioperm(static_cast<unsigned long>(kData), 3, 1) != 0) {
        std::printf("bare outb: ioperm refused: %s\n", std::strerror(errno));
        return;
    }
    MeasurePath(
        rows, "ioperm", Setup{[] {}, [] {}}, "outb",
        [](std::uint8_t value) { outb(value, static_cast<unsigned short>(kData)); },
        [] { return std::make_unique<portprov::RawX86Ports>(); });
}

void MeasureDevPort(std::vector<Row>& rows) {
    auto fd = std::make_shared<int>(-1);
    const Setup opened{[fd] {
                           *fd = open(portprov::kDevPortPath, O_RDWR);
                           if (*fd < 0)
                               Fail(portprov::kDevPortPath);
                       },
                       [fd] { close(*fd); }};
    MeasurePath(
        rows, "/dev/port", opened, "pwrite",
        [fd](std::uint8_t value) {
            if (pwrite(*fd, &value, 1, kData) != 1)
                gSink = 0;
        },
        [] { return std::make_unique<portprov::DevPortFile>(); });
}

void MeasurePpdev(std::vector<Row>& rows) {
    const auto parports = portprov::FindParallelPorts();
    if (parports.empty()) {
        std::printf("bare ppdev: the kernel lists no parallel port\n");
        return;
    }
    auto fd = std::make_shared<int>(-1);
    const std::string node = parports.front().node;
    const Setup claimed{[fd, node] {
                            *fd = open(node.c_str(), O_RDWR);
                            if (*fd < 0 || ioctl(*fd, PPCLAIM) != 0)
                                Fail(node);
                        },
                        [fd] {
                            ioctl(*fd, PPRELEASE);
                            close(*fd);
                        }};
    MeasurePath(
        rows, "ppdev", claimed, "ioctl PPWDATA",
        [fd](std::uint8_t value) {
            if (ioctl(*fd, PPWDATA, &value) != 0)
                gSink = 0;
        },
        [] { return std::make_unique<portprov::PpdevPorts>(portprov::FindParallelPorts()); });
}

void PrintTable(const std::vector<Row>& rows) {
    std::printf("\n| path (generator bound to) | bare write of 888 | bare writes/s | backend "
                "writes/s | generator writes/s | generator share | generator's loop alone, "
                "writes/s |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|\n");
    for (const Row& row : rows) {
        std::printf("| %s | %s | %.0f | %.0f | %.0f | %.1f %% | %.0f |\n", row.path.c_str(),
                    row.bareName.c_str(), row.bare, row.backend, row.generator, row.share,
                    row.loopAlone);
    }
    std::fflush(stdout);
}

} // namespace

int main() {
    std::printf("generator's fastest toggle of pin 2 beside a bare write loop: %d turns of about "
                "%.0f ms each, bare, backend and generator in turn; medians\n",
                kTurns, kTurnLength.count() * 1000.0);
    std::fflush(stdout);
    std::vector<Row> rows;
    MeasureRawIo(rows);
    MeasureDevPort(rows);
    MeasurePpdev(rows);
    PrintTable(rows);
    return 0;
}
