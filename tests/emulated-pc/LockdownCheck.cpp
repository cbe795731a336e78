// SPDX-License-Identifier: MIT
#include "LockdownCheck.h"

#include "CheckLog.h"
#include "DebugExit.h"
#include "GuestPaths.h"
#include "PathChecks.h"

#include "ports/PortIo.h"
#include "ports/linux/KernelLockdown.h"

#include <cstdio>
#include <fstream>
#include <string>

namespace portprov::hardwaretest {

// Raw port access gone for good, root included: ppdev still reaches the
// parallel ports, and without it the refusal tells about the lockdown.
int RunLockdown(const std::string& text) {
    CheckLog log;
    log.expectTrue("debug-exit port held from before the lockdown", GrantDebugExit());
    {
        std::ofstream lockdown(kLockdownFile);
        lockdown << "integrity\n";
        lockdown.flush();
        log.expectTrue("kernel locked down", static_cast<bool>(lockdown));
    }
    const auto mode = ReadLockdownMode();
    log.expectTrue("lockdown mode reads integrity", mode == "integrity",
                   mode.value_or("none read"));
    CheckRawRefused(log);

    const GuestPath chooser{"ppdev under lockdown", ChooserPath().open};
    CheckChooser(log, "ppdev");
    CheckRegisters(log, chooser, false);
    CheckPrinting(log, chooser, text);
    SelectPortBackend({});

    const std::string away = std::string(kParportNode) + ".away";
    const bool hidden = rename(kParportNode, away.c_str()) == 0;
    log.expectTrue(std::string(kParportNode) + " taken away", hidden);
    try {
        SelectPortBackend(ChooserPath().open);
        const unsigned value = DlPortReadPortUchar(kLpt1);
        log.fail("without ppdev under lockdown 888 still read " + std::to_string(value));
    } catch (const PortError& error) {
        const std::string message = error.what();
        log.expectTrue("without ppdev the refusal tells about the lockdown",
                       message.find("lockdown") != std::string::npos &&
                           message.find("integrity") != std::string::npos,
                       message);
    }
    SelectPortBackend({});
    if (hidden) {
        rename(away.c_str(), kParportNode);
    }
    return log.finish("kernel lockdown");
}

} // namespace portprov::hardwaretest
