// SPDX-License-Identifier: MIT
#include "PulseTrainCheck.h"

#include "ChildWithDeadline.h"
#include "LinePrinter.h"
#include "PathChecks.h"

#include "generating/Generator.h"
#include "ports/PortIo.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace portprov::hardwaretest {
namespace {

std::string Microseconds(std::chrono::nanoseconds time) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f µs", static_cast<double>(time.count()) / 1000.0);
    return text;
}

} // namespace

void SendPulseTrain(CheckLog& log, const std::string& path, std::uint8_t byte) {
    const std::string name = path + ": pulse train";
    // QEMU's printer takes a byte on a strobe only while the printer is
    // selected and out of reset (select-in and init set in 890); the
    // generator keeps those bits as it finds them.
    DlPortWritePortUchar(kLpt1Control, kControlIdle);
    DlPortWritePortUchar(kLpt1, byte);

    GeneratorOptions options;
    options.base = kLpt1;
    options.waveform = PulseTrain{{1}, kPulseCount, kPulseRate};
    Generator generator(options);
    generator.start();
    const GeneratorStats stats = generator.wait().stats;
    log.expectEqual(name + ": pulses made", static_cast<unsigned>(kPulseCount),
                    static_cast<unsigned>(stats.periods));
    // Each pulse is two writes of 890: strobe active, strobe released.
    log.expectEqual(name + ": writes made", static_cast<unsigned>(2 * kPulseCount),
                    static_cast<unsigned>(stats.writes));
    log.note(name + ": " + std::to_string(stats.lateWrites) + " late, the latest by " +
             Microseconds(stats.worstLateness) + ", median " + Microseconds(stats.medianLateness) +
             (stats.realTime ? ", real-time priority" : ", normal priority") +
             (stats.memoryLocked ? ", memory locked" : ""));

    log.expectEqual(name + ": 888 still holds the byte", byte, DlPortReadPortUchar(kLpt1));
    log.expectEqual(name + ": 890 put back, strobe released", kControlIdle,
                    DlPortReadPortUchar(kLpt1Control) & kControlDriverBits);
    const PrintOutcome end = PrintThroughPort(kLpt1, "\n");
    log.expectTrue(name + ": the line ends with a newline", end.bytesSent == 1);
}

void CheckPulseTrain(CheckLog& log, const GuestPath& path, std::uint8_t byte) {
    // The child opens the path afresh; ppdev lets one open file claim at a time.
    SelectPortBackend({});
    RunWithDeadline(log, path.name + ": pulse train on pin 1", std::chrono::seconds(30),
                    [&](CheckLog& own) {
                        try {
                            SelectPortBackend(path.open);
                            SendPulseTrain(own, path.name, byte);
                        } catch (const std::exception& error) {
                            own.fail(path.name + ": pulse train failed: " + error.what());
                        }
                        SelectPortBackend({});
                    });
}

} // namespace portprov::hardwaretest
