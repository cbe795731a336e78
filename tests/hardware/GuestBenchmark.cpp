// What one port read and one port write cost through each of the program's
// paths (DlPortReadPortUchar and DlPortWritePortUchar bound to a backend),
// beside the bare access each path is built on: the in and out instructions,
// pread and pwrite on /dev/port, and the ppdev ioctls. Runs as root inside the
// emulated PC after the port checks, on the data register of the port at 888
// (writes there put nothing on the printer, which takes a byte only on a
// strobe). It only reports; timing never fails anything.
//
// Each figure is the median over several runs of a loop sized to take about
// a tenth of a second.

#include "DevPortFile.h"
#include "ParallelPortDiscovery.h"
#include "PortIo.h"
#include "PpdevPorts.h"
#include "RawX86Ports.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <string>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::int32_t kData = 888;
constexpr std::int32_t kControl = 890;
constexpr std::uint8_t kControlIdle = 0x0C; // selected, out of reset, no strobe
constexpr int kRuns = 5;
constexpr std::chrono::nanoseconds kRunLength = std::chrono::milliseconds(100);

volatile std::uint8_t gSink; // keeps the reads from being optimised away

template <typename Op> double NanosecondsPerOp(Op& op, long iterations) {
    const auto start = Clock::now();
    for (long i = 0; i < iterations; ++i) {
        op(i);
    }
    const std::chrono::nanoseconds spent = Clock::now() - start;
    return static_cast<double>(spent.count()) / static_cast<double>(iterations);
}

// Median ns per operation over kRuns runs, each about kRunLength long.
template <typename Op> double Measure(Op op) {
    long iterations = 16;
    double perOp = NanosecondsPerOp(op, iterations);
    while (perOp * static_cast<double>(iterations) <
           0.2 * static_cast<double>(kRunLength.count())) {
        iterations *= 4;
        perOp = NanosecondsPerOp(op, iterations);
    }
    iterations = std::max(16L, static_cast<long>(static_cast<double>(kRunLength.count()) / perOp));
    std::array<double, kRuns> runs{};
    for (double& run : runs) {
        run = NanosecondsPerOp(op, iterations);
    }
    std::sort(runs.begin(), runs.end());
    return runs[kRuns / 2];
}

struct Row {
    std::string path;
    std::string operation;
    double ours = 0;
    std::string bareName;
    double bare = 0;
};

// Ours through DlPort* bound to the backend, beside the bare figures.
template <typename Factory>
void MeasureOurs(std::vector<Row>& rows, const std::string& path, Factory factory,
                 const std::string& bareRead, double bareReadNs, const std::string& bareWrite,
                 double bareWriteNs) {
    try {
        portprov::SelectPortBackend(factory);
        portprov::DlPortWritePortUchar(kControl, kControlIdle);
        const double read = Measure([](long) { gSink = portprov::DlPortReadPortUchar(kData); });
        const double write = Measure([](long i) {
            portprov::DlPortWritePortUchar(kData, static_cast<std::int32_t>(i & 0xFF));
        });
        rows.push_back({path, "read", read, bareRead, bareReadNs});
        rows.push_back({path, "write", write, bareWrite, bareWriteNs});
    } catch (const std::exception& error) {
        std::printf("%s: not measured: %s\n", path.c_str(), error.what());
    }
    portprov::SelectPortBackend({});
}

void PrintTable(const std::vector<Row>& rows) {
    std::printf("\n| path (DlPort* bound to) | op | ours ns/op | bare path | bare ns/op | "
                "overhead |\n");
    std::printf("|---|---|---:|---|---:|---:|\n");
    for (const Row& row : rows) {
        const double overhead = row.bare > 0 ? (row.ours - row.bare) / row.bare * 100.0 : 0.0;
        std::printf("| %s | %s | %.0f | %s | %.0f | %+.1f %% |\n", row.path.c_str(),
                    row.operation.c_str(), row.ours, row.bareName.c_str(), row.bare, overhead);
    }
    std::fflush(stdout);
}

} // namespace

int main() {
    std::printf("port access benchmark: median of %d runs of about %lld ms each\n", kRuns,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(kRunLength).count()));
    std::fflush(stdout);
    std::vector<Row> rows;

    // Bare in and out instructions.
    double inbNs = 0;
    double outbNs = 0;
    if (ioperm(static_cast<unsigned long>(kData), 3, 1) == 0) {
        outb(kControlIdle, static_cast<unsigned short>(kControl));
        inbNs = Measure([](long) { gSink = inb(static_cast<unsigned short>(kData)); });
        outbNs = Measure([](long i) {
            outb(static_cast<unsigned char>(i & 0xFF), static_cast<unsigned short>(kData));
        });
    } else {
        std::printf("bare inb/outb: ioperm refused: %s\n", std::strerror(errno));
    }
    MeasureOurs(
        rows, "ioperm", [] { return std::make_unique<portprov::RawX86Ports>(); }, "inb", inbNs,
        "outb", outbNs);

    // Bare pread and pwrite on /dev/port.
    double preadNs = 0;
    double pwriteNs = 0;
    const int port = open(portprov::kDevPortPath, O_RDWR);
    if (port >= 0) {
        preadNs = Measure([port](long) {
            unsigned char byte = 0;
            if (pread(port, &byte, 1, kData) == 1) {
                gSink = byte;
            }
        });
        pwriteNs = Measure([port](long i) {
            const auto byte = static_cast<unsigned char>(i & 0xFF);
            if (pwrite(port, &byte, 1, kData) != 1) {
                gSink = 0;
            }
        });
        close(port);
    } else {
        std::printf("bare pread/pwrite: %s: %s\n", portprov::kDevPortPath, std::strerror(errno));
    }
    MeasureOurs(
        rows, "/dev/port", [] { return std::make_unique<portprov::DevPortFile>(); }, "pread",
        preadNs, "pwrite", pwriteNs);

    // Bare ppdev ioctls, on a claim that is given back before ours claims.
    double pprdataNs = 0;
    double ppwdataNs = 0;
    const auto parports = portprov::FindParallelPorts();
    const int node = parports.empty() ? -1 : open(parports.front().node.c_str(), O_RDWR);
    if (node >= 0 && ioctl(node, PPCLAIM) == 0) {
        pprdataNs = Measure([node](long) {
            unsigned char byte = 0;
            if (ioctl(node, PPRDATA, &byte) == 0) {
                gSink = byte;
            }
        });
        ppwdataNs = Measure([node](long i) {
            auto byte = static_cast<unsigned char>(i & 0xFF);
            if (ioctl(node, PPWDATA, &byte) != 0) {
                gSink = 0;
            }
        });
        ioctl(node, PPRELEASE);
    } else {
        std::printf("bare ppdev: no claimed /dev/parportN: %s\n", std::strerror(errno));
    }
    if (node >= 0) {
        close(node);
    }
    MeasureOurs(
        rows, "ppdev",
        [] { return std::make_unique<portprov::PpdevPorts>(portprov::FindParallelPorts()); },
        "ioctl PPRDATA", pprdataNs, "ioctl PPWDATA", ppwdataNs);

    PrintTable(rows);
    return 0;
}
