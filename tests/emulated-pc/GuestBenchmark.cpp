// SPDX-License-Identifier: MIT
// What one port read and one port write cost through each of the program's
// paths (DlPortReadPortUchar and DlPortWritePortUchar bound to a backend),
// beside the bare access each path is built on: the in and out instructions,
// pread and pwrite on /dev/port, and the ppdev ioctls. Runs as root inside the
// emulated PC after the port checks, on the data register of the port at 888
// (writes there put nothing on the printer, which takes a byte only on a
// strobe). It only reports; timing never fails anything.
//
// A third row per path reads through the reader a recording reads through
// (DirectPortSequence::reader, the port held), without the per-access checks.
// Each figure is the median over several runs of a loop sized to take a few
// hundredths of a second; the bare loop and ours take turns.
//
// A second table sets the recorder, at its fastest on the status register
// 889, beside a bare loop reading that register on the same path for the same
// time: how many reads a second each makes, the recorder's share of the bare
// loop's reads and the recorder's longest gap between two reads; and the bare
// loop once more with a clock reading beside every read, which is what the
// recorder pays on a path whose read outlasts its batches.

#include "ports/PortIo.h"
#include "ports/linux/DevPortFile.h"
#include "ports/linux/ParallelPortDiscovery.h"
#include "ports/linux/PpdevPorts.h"
#include "ports/linux/RawX86Ports.h"
#include "recording/Recorder.h"

#include "BenchmarkLoops.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <functional>
#include <linux/ppdev.h>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

using namespace guest_bench;

constexpr std::int32_t kData = 888;
constexpr std::int32_t kStatus = 889;
constexpr std::int32_t kControl = 890;
constexpr std::uint8_t kControlIdle = 0x0C; // selected, out of reset, no strobe
// The recorder and the bare loop each read this long in a turn.
constexpr int kRecordTurns = 5;
constexpr std::chrono::nanoseconds kRecordLength = std::chrono::milliseconds(200);

volatile std::uint8_t gSink; // keeps the reads from being optimised away

struct Row {
    std::string path;
    std::string operation;
    std::string bareName;
    Timing timing;
};

// Binds DlPort* to the backend and makes the first access (which grants,
// opens or claims) before the timed loop starts.
Setup Bound(portprov::BackendFactory factory) {
    return {[factory] {
                portprov::SelectPortBackend(factory);
                portprov::DlPortWritePortUchar(kControl, kControlIdle);
                gSink = portprov::DlPortReadPortUchar(kData);
            },
            [] { portprov::SelectPortBackend({}); }};
}

// The reader a recording reads through: bound as Bound binds, with a
// DirectPortSequence holding the data register for the timed loop.
struct HeldSequence {
    std::unique_ptr<portprov::DirectPortSequence> sequence;
    std::optional<portprov::HeldReader> read;
};
// The reader must read the register itself: a byte written just before
// reads back, or the run fails the hardware test.
Setup Held(portprov::BackendFactory factory, const std::shared_ptr<HeldSequence>& held,
           const std::string& path) {
    const Setup bound = Bound(std::move(factory));
    return {[bound, held, path] {
                bound.enter();
                constexpr std::uint8_t kWritten = 0xA5;
                portprov::DlPortWritePortUchar(kData, kWritten);
                const std::int32_t data = kData;
                held->sequence =
                    std::make_unique<portprov::DirectPortSequence>(std::span(&data, 1));
                held->read = held->sequence->reader();
                if (const std::uint8_t read = (*held->read)(kData); read != kWritten)
                    std::printf("GUEST FAIL: %s: a held read of %d gave %d, not %d\n", path.c_str(),
                                kData, read, kWritten);
            },
            [bound, held] {
                held->read.reset();
                held->sequence.reset();
                bound.leave();
            }};
}

// Both operations of one path, and a read through the reader a recording
// uses: bareRead and bareWrite are the loops' bodies.
template <typename BareRead, typename BareWrite>
void MeasurePath(std::vector<Row>& rows, const std::string& path, const Setup& bare,
                 const std::string& bareReadName, BareRead bareRead,
                 const std::string& bareWriteName, BareWrite bareWrite,
                 portprov::BackendFactory factory) {
    try {
        const Setup ours = Bound(factory);
        const auto oursRead = [](long) { gSink = portprov::DlPortReadPortUchar(kData); };
        const auto oursWrite = [](long i) {
            portprov::DlPortWritePortUchar(kData, static_cast<std::int32_t>(i & 0xFF));
        };
        rows.push_back({path, "read", bareReadName, MeasurePair(bareRead, bare, oursRead, ours)});
        rows.push_back(
            {path, "write", bareWriteName, MeasurePair(bareWrite, bare, oursWrite, ours)});
        const auto held = std::make_shared<HeldSequence>();
        const auto heldRead = [held](long) { gSink = (*held->read)(kData); };
        rows.push_back(
            {path, "held read", bareReadName,
             MeasurePair(bareRead, bare, heldRead, Held(std::move(factory), held, path))});
    } catch (const std::exception& error) {
        std::printf("%s: not measured: %s\n", path.c_str(), error.what());
    }
    portprov::SelectPortBackend({});
}

// The recorder beside a bare read loop of the status register on one path.
struct RecordRow {
    std::string path;
    std::string bareName;
    double bareRate = 0;                   // reads a second, median of the turns
    double clockedRate = 0;                // the same with a clock reading per read
    double recorderRate = 0;               // reads a second, median of the turns
    double share = 0;                      // percent, the median of the turns' own ratios
    std::chrono::nanoseconds longestGap{}; // the longest of all turns
};

// Reads a second of a bare loop running for kRecordLength. The clock is read
// once every 64 reads, so that it costs the loop next to nothing.
template <typename BareRead> double BareReadsPerSecond(BareRead& bareRead) {
    constexpr long kBetweenClockReads = 64;
    long reads = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
        for (long i = 0; i < kBetweenClockReads; ++i) {
            bareRead();
        }
        reads += kBetweenClockReads;
        now = Clock::now();
    } while (now - start < kRecordLength);
    return static_cast<double>(reads) / std::chrono::duration<double>(now - start).count();
}

// The same loop with the clock read beside every read, as the recorder reads
// it where one read outlasts the span of its batches.
template <typename BareRead> double ClockedReadsPerSecond(BareRead& bareRead) {
    long reads = 0;
    const auto start = Clock::now();
    auto now = start;
    do {
        bareRead();
        ++reads;
        now = Clock::now();
    } while (now - start < kRecordLength);
    return static_cast<double>(reads) / std::chrono::duration<double>(now - start).count();
}

// The recorder as the window starts it at its fastest (no fixed rate) on the
// bound backend, reading 889 alone for kRecordLength.
portprov::RecordingStats RecordStatus() {
    portprov::RecorderOptions options;
    options.ports = {kStatus};
    options.length = kRecordLength;
    portprov::Recorder recorder(std::move(options));
    recorder.start();
    return recorder.wait().stats;
}

// The bare loop and the recorder in turn, kRecordTurns times each; a path
// that cannot be had is left out of the table with a line saying why.
template <typename BareRead>
void MeasureRecorder(std::vector<RecordRow>& rows, const std::string& path, const Setup& bare,
                     const std::string& bareName, BareRead bareRead,
                     portprov::BackendFactory factory) {
    try {
        const Setup ours = Bound(std::move(factory));
        std::array<double, kRecordTurns> bareRates{};
        std::array<double, kRecordTurns> clockedRates{};
        std::array<double, kRecordTurns> recorderRates{};
        std::array<double, kRecordTurns> shares{};
        RecordRow row{path, bareName};
        for (int turn = 0; turn < kRecordTurns; ++turn) {
            bare.enter();
            bareRates[turn] = BareReadsPerSecond(bareRead);
            clockedRates[turn] = ClockedReadsPerSecond(bareRead);
            bare.leave();
            ours.enter();
            const portprov::RecordingStats stats = RecordStatus();
            ours.leave();
            // One register: a round is one read.
            recorderRates[turn] = stats.meanRate;
            shares[turn] = stats.meanRate / bareRates[turn] * 100.0;
            row.longestGap = std::max(row.longestGap, stats.longestGap);
        }
        row.bareRate = Median(bareRates);
        row.clockedRate = Median(clockedRates);
        row.recorderRate = Median(recorderRates);
        row.share = Median(shares);
        rows.push_back(row);
    } catch (const std::exception& error) {
        std::printf("%s: recorder not measured: %s\n", path.c_str(), error.what());
    }
    portprov::SelectPortBackend({});
}

void PrintRecorderTable(const std::vector<RecordRow>& rows) {
    std::printf("\n| path (recorder bound to) | bare read of 889 | bare reads/s | recorder reads/s "
                "| recorder share | recorder longest gap µs | bare with a clock reading per "
                "read, reads/s |\n");
    std::printf("|---|---|---:|---:|---:|---:|---:|\n");
    for (const RecordRow& row : rows) {
        std::printf("| %s | %s | %.0f | %.0f | %.1f %% | %.1f | %.0f |\n", row.path.c_str(),
                    row.bareName.c_str(), row.bareRate, row.recorderRate, row.share,
                    static_cast<double>(row.longestGap.count()) / 1000.0, row.clockedRate);
    }
    std::fflush(stdout);
}

void PrintTable(const std::vector<Row>& rows) {
    std::printf("\n| path (DlPort* bound to) | op | ours ns/op | bare path | bare ns/op | "
                "overhead |\n");
    std::printf("|---|---|---:|---|---:|---:|\n");
    for (const Row& row : rows) {
        std::printf("| %s | %s | %.0f | %s | %.0f | %+.1f %% |\n", row.path.c_str(),
                    row.operation.c_str(), row.timing.ours, row.bareName.c_str(), row.timing.bare,
                    row.timing.overhead);
    }
    std::fflush(stdout);
}

void Fail(const std::string& what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

void MeasureRawIo(std::vector<Row>& rows, std::vector<RecordRow>& recordRows) {
    const Setup nothing{[] {}, [] {}};
    // The in and out instructions. The grant stays for the whole run: the
    // program's own raw backend keeps its grant too.
    if (ioperm(static_cast<unsigned long>(kData), 3, 1) != 0) {
        std::printf("bare inb/outb: ioperm refused: %s\n", std::strerror(errno));
    } else {
        MeasurePath(
            rows, "ioperm", nothing, "inb",
            [](long) { gSink = inb(static_cast<unsigned short>(kData)); }, "outb",
            [](long i) {
                outb(static_cast<unsigned char>(i & 0xFF), static_cast<unsigned short>(kData));
            },
            [] { return std::make_unique<portprov::RawX86Ports>(); });
        MeasureRecorder(
            recordRows, "ioperm", nothing, "inb",
            [] { gSink = inb(static_cast<unsigned short>(kStatus)); },
            [] { return std::make_unique<portprov::RawX86Ports>(); });
    }
}

void MeasureDevPort(std::vector<Row>& rows, std::vector<RecordRow>& recordRows) {
    // pread and pwrite on /dev/port.
    auto devPort = std::make_shared<int>(-1);
    const Setup devPortOpen{[devPort] {
                                *devPort = open(portprov::kDevPortPath, O_RDWR);
                                if (*devPort < 0) {
                                    Fail(portprov::kDevPortPath);
                                }
                            },
                            [devPort] { close(*devPort); }};
    MeasurePath(
        rows, "/dev/port", devPortOpen, "pread",
        [devPort](long) {
            unsigned char byte = 0;
            if (pread(*devPort, &byte, 1, kData) == 1) {
                gSink = byte;
            }
        },
        "pwrite",
        [devPort](long i) {
            const auto byte = static_cast<unsigned char>(i & 0xFF);
            if (pwrite(*devPort, &byte, 1, kData) != 1) {
                gSink = 0;
            }
        },
        [] { return std::make_unique<portprov::DevPortFile>(); });
    MeasureRecorder(
        recordRows, "/dev/port", devPortOpen, "pread",
        [devPort] {
            unsigned char byte = 0;
            if (pread(*devPort, &byte, 1, kStatus) == 1) {
                gSink = byte;
            }
        },
        [] { return std::make_unique<portprov::DevPortFile>(); });
}

void MeasurePpdev(std::vector<Row>& rows, std::vector<RecordRow>& recordRows) {
    // The ppdev ioctls, on a claim of their own.
    const auto parports = portprov::FindParallelPorts();
    if (parports.empty()) {
        std::printf("bare ppdev: the kernel lists no parallel port\n");
    } else {
        auto node = std::make_shared<int>(-1);
        const std::string path = parports.front().node;
        const Setup claimed{[node, path] {
                                *node = open(path.c_str(), O_RDWR);
                                if (*node < 0 || ioctl(*node, PPCLAIM) != 0) {
                                    Fail(path);
                                }
                            },
                            [node] {
                                ioctl(*node, PPRELEASE);
                                close(*node);
                            }};
        MeasurePath(
            rows, "ppdev", claimed, "ioctl PPRDATA",
            [node](long) {
                unsigned char byte = 0;
                if (ioctl(*node, PPRDATA, &byte) == 0) {
                    gSink = byte;
                }
            },
            "ioctl PPWDATA",
            [node](long i) {
                auto byte = static_cast<unsigned char>(i & 0xFF);
                if (ioctl(*node, PPWDATA, &byte) != 0) {
                    gSink = 0;
                }
            },
            [] { return std::make_unique<portprov::PpdevPorts>(portprov::FindParallelPorts()); });
        MeasureRecorder(
            recordRows, "ppdev", claimed, "ioctl PPRSTATUS",
            [node] {
                unsigned char byte = 0;
                if (ioctl(*node, PPRSTATUS, &byte) == 0) {
                    gSink = byte;
                }
            },
            [] { return std::make_unique<portprov::PpdevPorts>(portprov::FindParallelPorts()); });
    }
}

} // namespace

int main() {
    std::printf("port access benchmark: %d runs of about %lld ms each, bare and ours in turn; "
                "medians\n",
                kRuns,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(kRunLength).count()));
    std::fflush(stdout);
    std::printf("recorder beside a bare loop on 889: %d turns of %lld ms each; medians\n",
                kRecordTurns,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(kRecordLength).count()));
    std::fflush(stdout);
    // What a clock reading costs depends on the kernel's clock source: the
    // vDSO reads the TSC without a system call, other sources need one.
    std::string source = "unknown";
    std::ifstream("/sys/devices/system/clocksource/clocksource0/current_clocksource") >> source;
    auto clockRead = [](long) {
        gSink = static_cast<std::uint8_t>(Clock::now().time_since_epoch().count());
    };
    std::printf("clock source %s: a clock reading costs %.0f ns\n", source.c_str(),
                NanosecondsPerOp(clockRead, Calibrate(clockRead)));
    std::fflush(stdout);
    std::vector<Row> rows;
    std::vector<RecordRow> recordRows;
    MeasureRawIo(rows, recordRows);
    MeasureDevPort(rows, recordRows);
    MeasurePpdev(rows, recordRows);

    PrintTable(rows);
    PrintRecorderTable(recordRows);
    return 0;
}
