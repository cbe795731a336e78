// SPDX-License-Identifier: MIT
// The port checks that run inside the emulated PC, started by its init
// script as root:
//
//   portprov-guest-check direct <text>   through ioperm/inb/outb and /dev/port;
//                                        on each, a pulse train on strobe from
//                                        the generator (PulseTrainCheck.cpp)
//   portprov-guest-check ppdev <text>    loads the printer driver lp beside a
//                                        program open on ppdev and prints
//                                        through it; then checks ppdev as an
//                                        unprivileged member of the lp group,
//                                        also while another process holds
//                                        the port (PpdevCheck.cpp)
//   portprov-guest-check lockdown <text> <0|1>
//                                        locks the kernel down (integrity),
//                                        checks that ppdev still works, and
//                                        ends the machine with the verdict of
//                                        every run (LockdownCheck.cpp)
//   portprov-guest-check helper <text>   a user without rights through the
//                                        helper portprov-io, the generator's
//                                        pulse train too (HelperCheck.cpp)
//   portprov pkexec                      a user without rights through the
//                                        installed helper started by pkexec
//                                        (a stand-in: PkexecCheck.cpp), and a
//                                        setuid helper given a PKEXEC_UID
//   portprov-guest-check locks           the per-port locks of the raw paths
//                                        (LockCheck.cpp)
//   portprov-guest-check modes           Portprov's probe of the port's modes
//                                        on each path beside the kernel's
//                                        (ModesCheck.cpp)
//   portprov-guest-check verdict <0|1>   hands the verdict to the emulator
//
// Every check goes through the program's own port operations,
// DlPortReadPortUchar and DlPortWritePortUchar, bound to one backend at a
// time. The emulated PC has one parallel port at 888 with a printer on it
// that takes every byte it is handed with a strobe pulse; what it prints ends
// up in a file on the host, which checks it.

#include "CheckLog.h"
#include "DebugExit.h"
#include "GuestPaths.h"
#include "HelperCheck.h"
#include "LockCheck.h"
#include "LockdownCheck.h"
#include "ModesCheck.h"
#include "PathChecks.h"
#include "PkexecCheck.h"
#include "PpdevCheck.h"
#include "PulseTrainCheck.h"

#include "ports/PortIo.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <unistd.h>
#include <utility>

namespace portprov::hardwaretest {
namespace {

int RunDirect(const std::string& text) {
    CheckLog log;
    log.expectTrue("running as root", geteuid() == 0);
    const std::pair<GuestPath, std::uint8_t> paths[] = {{RawPath(), kPulseByteRaw},
                                                        {DevPortPath(), kPulseByteDevPort}};
    for (const auto& [path, pulseByte] : paths) {
        CheckRegisters(log, path, true);
        CheckPrinting(log, path, text);
        CheckPulseTrain(log, path, pulseByte);
    }
    CheckChooser(log, "ioperm");
    SelectPortBackend({});
    return log.finish("direct port access");
}

int Usage() {
    std::fprintf(stderr, "usage: portprov-guest-check direct|helper|ppdev <text> | locks | pkexec | modes | "
                         "lockdown <text> <0|1> | verdict <0|1>\n");
    return 2;
}

} // namespace
} // namespace portprov::hardwaretest

int main(int argc, char** argv) {
    using namespace portprov::hardwaretest;
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (argc == 3 && mode == "direct") {
        return RunDirect(argv[2]);
    }
    if (argc == 3 && mode == "helper") {
        return RunHelper(argv[2]);
    }
    if (argc == 2 && mode == "pkexec") {
        return RunPkexec();
    }
    if (argc == 2 && mode == "locks") {
        return RunLocks();
    }
    if (argc == 2 && mode == "modes") {
        return RunModes();
    }
    if (argc == 3 && mode == "ppdev") {
        return RunPpdev(argv[2]);
    }
    if (argc == 4 && mode == "lockdown") {
        const std::string_view before = argv[3];
        const int failed = RunLockdown(argv[2]);
        EndEmulatorWithVerdict(before == "0" && failed == 0 ? 0 : 1);
        return 1; // only when the emulator could not be ended
    }
    if (argc == 3 && mode == "verdict") {
        const std::string_view verdict = argv[2];
        if (verdict != "0" && verdict != "1") {
            return Usage();
        }
        EndEmulatorWithVerdict(verdict == "0" ? 0 : 1);
        return 1; // only when the emulator could not be ended
    }
    return Usage();
}
