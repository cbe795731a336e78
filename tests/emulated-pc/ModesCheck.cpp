// SPDX-License-Identifier: MIT
#include "ModesCheck.h"

#include "CheckLog.h"
#include "GuestPaths.h"
#include "PathChecks.h"

#include "ports/PortIo.h"
#include "ports/PortModes.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace portprov::hardwaretest {
namespace {

// The kernel's list of what parport0 can do, as parport_pc found it when it
// loaded, e.g. "PCSPP,TRISTATE,EPP".
std::string KernelModes() {
    std::ifstream file("/proc/sys/dev/parport/parport0/modes");
    std::string modes;
    std::getline(file, modes);
    return modes;
}

} // namespace

// Portprov's probe of 888 on each path agrees with the kernel's report, mode
// by mode (PCSPP is SPP, TRISTATE is PS/2). ppdev does not reach the ECR at
// base + 0x402, so ECP must be "not known" there; the modes that are known
// must agree.
//
// Why the kernel's report depends on what ran before it: QEMU's port (driven
// by software, its output a file) sets the EPP time-out bit (status bit 0)
// at reset and clears it only when the control register is written with
// nInit low (bit 2 clear), which puts the whole status register back without
// it; reading the status register or writing it does not clear it. The
// kernel, like the probe, counts EPP when that bit is clear or can be
// cleared. Loaded first on a fresh boot, parport_pc finds the bit set and
// reports "PCSPP,TRISTATE"; here the checks of raw access ran first and wrote
// 32 to 890 (nInit low), so it reports "PCSPP,TRISTATE,EPP". The probe looks
// after the kernel, at the same state, and must say the same.
int RunModes() {
    CheckLog log;
    const std::string kernel = KernelModes();
    log.expectTrue("the kernel reports parport0's modes", !kernel.empty(), kernel);
    std::vector<std::string> listed;
    for (std::size_t from = 0; from <= kernel.size();) {
        const std::size_t comma = std::min(kernel.find(',', from), kernel.size());
        listed.push_back(kernel.substr(from, comma - from));
        from = comma + 1;
    }
    const auto kernelHas = [&](const char* name) {
        return std::find(listed.begin(), listed.end(), name) != listed.end();
    };
    const std::pair<PortMode, const char*> names[] = {{PortMode::Spp, "PCSPP"},
                                                      {PortMode::Ps2, "TRISTATE"},
                                                      {PortMode::Epp, "EPP"},
                                                      {PortMode::Ecp, "ECP"}};
    for (const GuestPath& path : {RawPath(), DevPortPath(), PpdevPath()}) {
        try {
            SelectPortBackend(path.open);
            const PortModes probed = ProbePortModes(kLpt1);
            for (const auto& [mode, name] : names) {
                const ModeAnswer answer = probed.of(mode);
                const std::string what = path.name + ": " + ModeName(mode);
                if (path.name == "ppdev" && mode == PortMode::Ecp) {
                    log.expectTrue(what + " is not known (the ECR is out of reach)",
                                   answer == ModeAnswer::Unknown);
                    continue;
                }
                const bool yes = answer == ModeAnswer::Yes;
                log.expectTrue(what + " as the kernel says (" + name +
                                   (kernelHas(name) ? " listed)" : " not listed)"),
                               answer != ModeAnswer::Unknown && yes == kernelHas(name),
                               answer == ModeAnswer::Unknown ? "not known"
                               : yes                         ? "yes"
                                                             : "no");
            }
        } catch (const std::exception& error) {
            log.fail(path.name + ": the probe failed: " + Describe(error));
        }
    }
    SelectPortBackend({});
    return log.finish("modes of the port");
}

} // namespace portprov::hardwaretest
