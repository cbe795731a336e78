// SPDX-License-Identifier: MIT
#include "LinePrinter.h"

#include "ports/PortIo.h"

namespace portprov::hardwaretest {

namespace {

bool WaitUntilNotBusy(std::int32_t statusPort, int busyPolls) {
    for (int poll = 0; poll < busyPolls; ++poll) {
        if ((DlPortReadPortUchar(statusPort) & kStatusNotBusy) != 0) {
            return true;
        }
    }
    return false;
}

} // namespace

PrintOutcome PrintThroughPort(std::int32_t base, std::string_view text, int busyPolls) {
    const std::int32_t dataPort = base + kDataOffset;
    const std::int32_t statusPort = base + kStatusOffset;
    const std::int32_t controlPort = base + kControlOffset;

    PrintOutcome outcome;
    DlPortWritePortUchar(controlPort, kControlIdle);
    for (const char c : text) {
        if (!WaitUntilNotBusy(statusPort, busyPolls)) {
            outcome.printerReady = false;
            return outcome;
        }
        DlPortWritePortUchar(dataPort, static_cast<unsigned char>(c));
        DlPortWritePortUchar(controlPort, kControlIdle | kControlStrobe);
        DlPortWritePortUchar(controlPort, kControlIdle);
        ++outcome.bytesSent;
    }
    return outcome;
}

} // namespace portprov::hardwaretest
