// SPDX-License-Identifier: MIT
#include "PathChecks.h"

#include "ports/PortIo.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/io.h>
#include <unistd.h>

namespace portprov::hardwaretest {

void CheckRegisters(CheckLog& log, const GuestPath& path, bool wholeControl) {
    const std::string name = path.name;
    try {
        SelectPortBackend(path.open);
        DlPortWritePortUchar(kLpt1, 0x55);
        log.expectEqual(name + ": 888 reads back 0x55", 0x55, DlPortReadPortUchar(kLpt1));
        log.note(name + ": bound to " + PortAccessDescription());
        DlPortWritePortUchar(kLpt1, 0xAA);
        log.expectEqual(name + ": 888 reads back 0xAA", 0xAA, DlPortReadPortUchar(kLpt1));

        DlPortWritePortUchar(kLpt1Control, kControlReverse);
        log.expectEqual(name + ": with control bit 5 set, 888 reads the lines", kFloatingDataLines,
                        DlPortReadPortUchar(kLpt1));
        const unsigned control = DlPortReadPortUchar(kLpt1Control);
        if (wholeControl) {
            log.expectEqual(name + ": 890 reads back 32 with bits 6 and 7 set",
                            kControlReverse | kControlUnusedBits, control);
        } else {
            log.expectEqual(name + ": 890 reads back 32 in bits 0 to 5", kControlReverse,
                            control & kControlDriverBits);
        }
        log.expectEqual(name + ": status 889", kStatusIdle, DlPortReadPortUchar(kLpt1Status));

        DlPortWritePortUchar(kLpt1Control, kControlIdle);
        log.expectEqual(name + ": data lines driven again show the latch", 0xAA,
                        DlPortReadPortUchar(kLpt1));
        const unsigned idle = DlPortReadPortUchar(kLpt1Control);
        if (wholeControl) {
            log.expectEqual(name + ": 890 reads back 12 with bits 6 and 7 set",
                            kControlIdle | kControlUnusedBits, idle);
        } else {
            log.expectEqual(name + ": 890 reads back 12 in bits 0 to 5", kControlIdle,
                            idle & kControlDriverBits);
        }
    } catch (const std::exception& error) {
        log.fail(name + ": port access failed: " + std::string(error.what()));
    }
}

void CheckPrinting(CheckLog& log, const GuestPath& path, const std::string& text) {
    const std::string line = text + " via " + path.name + "\n";
    try {
        SelectPortBackend(path.open);
        const PrintOutcome outcome = PrintThroughPort(kLpt1, line);
        log.expectTrue(path.name + ": printed " + std::to_string(line.size()) + " bytes",
                       outcome.printerReady && outcome.bytesSent == line.size(),
                       std::to_string(outcome.bytesSent) + " sent" +
                           (outcome.printerReady ? "" : ", printer stayed busy"));
    } catch (const std::exception& error) {
        log.fail(path.name + ": printing failed: " + std::string(error.what()));
    }
}

void CheckRawRefused(CheckLog& log) {
    errno = 0;
    const int granted = ioperm(static_cast<unsigned long>(kLpt1), 3, 1);
    log.expectTrue("ioperm is refused", granted != 0 && errno == EPERM,
                   granted != 0 ? std::strerror(errno) : "granted");
    const int fd = open("/dev/port", O_RDWR);
    log.expectTrue("/dev/port is refused", fd < 0, fd < 0 ? std::strerror(errno) : "opened");
    if (fd >= 0) {
        close(fd);
    }
}

std::string Describe(const std::exception& error) {
    return error.what();
}

void CheckChooser(CheckLog& log, const std::string& expected) {
    try {
        SelectPortBackend(ChooserPath().open);
        DlPortWritePortUchar(kLpt1, 0x3C);
        log.expectEqual("chooser: 888 reads back 0x3C", 0x3C, DlPortReadPortUchar(kLpt1));
        const std::string description = PortAccessDescription();
        log.expectTrue("chooser picks " + expected, description.find(expected) != std::string::npos,
                       description);
    } catch (const std::exception& error) {
        log.fail("chooser: port access failed: " + Describe(error));
    }
}

} // namespace portprov::hardwaretest
