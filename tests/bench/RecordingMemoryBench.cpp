// SPDX-License-Identifier: MIT
// What a long recording at the fastest rate holds in memory: one register
// whose bit 7 changes 1,000 times a second (every millisecond by the
// monotonic clock), recorded for a while; prints the changes kept, the bytes
// they take and, as memory grows with the changes and not with the length,
// what ten minutes would take. scripts/bench-recorder runs it.
//     recording_memory_bench [--seconds S]      # 10 s unless told; 600 for the full ten minutes
#include "ports/PortIo.h"
#include "recording/Recorder.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sys/resource.h>

namespace {

// A port whose bit 7 turns over every millisecond.
class TogglingLine : public portprov::PortBackend {
public:
    std::uint8_t read(std::uint16_t) override {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
        return ms.count() % 2 == 0 ? 0x7F : 0xFF;
    }
    void write(std::uint16_t, std::uint8_t) override {}
    std::string describe() const override {
        return "en ledning som byter nivå 1000 gånger i sekunden";
    }
};

} // namespace

int main(int argc, char** argv) {
    double seconds = 10.0;
    if (argc == 3 && std::strcmp(argv[1], "--seconds") == 0)
        seconds = std::atof(argv[2]);
    if (seconds <= 0.0) {
        std::fprintf(stderr, "usage: %s [--seconds S]\n", argv[0]);
        return 2;
    }
    portprov::SelectPortBackend(portprov::SharedBackend(std::make_shared<TogglingLine>()));
    portprov::RecorderOptions options;
    options.ports = {889};
    options.length = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::chrono::duration<double>(seconds));
    portprov::Recorder recorder(options);
    recorder.start();
    const portprov::RecorderResult result = recorder.wait();

    const auto& changes = result.recording.changes;
    const double held = static_cast<double>(changes.capacity() * sizeof(changes.front()));
    const double perSecond = held / seconds;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%.0f s at the fastest rate (%.0f reads/s): %zu changes kept, %.2f MB for them "
                "(%zu bytes each, the vector's spare room included); peak resident size of the "
                "whole program %.1f MB\n",
                seconds, result.stats.meanRate, changes.size(), held / 1e6, sizeof(changes.front()),
                static_cast<double>(usage.ru_maxrss) / 1e3);
    // On a busy machine the thread may lose the processor and miss changes;
    // the line's own pace gives the figure that counts.
    const double tenMinutes = 1000.0 * 600.0 * static_cast<double>(sizeof(changes.front()));
    std::printf("ten minutes at the pace seen: %.1f MB; at the line's pace (600000 changes): "
                "%.1f MB, at most %.1f MB with the vector's spare room (goal: under 100 MB)\n",
                perSecond * 600.0 / 1e6, tenMinutes / 1e6, 2.0 * tenMinutes / 1e6);
    return 0;
}
