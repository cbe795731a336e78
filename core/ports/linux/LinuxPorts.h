// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/ParallelPortDiscovery.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// The ways to the ports on Linux and the choice between them: raw port access
// (ioperm/iopl with inb/outb, or /dev/port) where the kernel permits it,
// otherwise the kernel's parallel-port driver (ppdev) for the registers of the
// ports it drives, and the helper portprov-io for the rest.

// What the choice asks of the machine. Each probe may be replaced (tests do);
// none of them touches a port.
struct LinuxAccessProbes {
    // Raw port instructions granted (ioperm)? 0, else the errno; ENOSYS where
    // the processor has none.
    std::function<int()> rawAccess;
    // /dev/port opens read-write? 0, else the errno.
    std::function<int()> devPort;
    // The kernel lockdown mode, nothing when the kernel does not tell.
    std::function<std::optional<std::string>()> lockdownMode;
    // The parallel ports the kernel drives.
    std::function<std::vector<ParallelPortNode>()> parallelPorts;
    // May this user open a /dev/parportN node read-write? 0, else the errno.
    std::function<int(const std::string& node)> nodeAccess;
    // The helper's path, named in the setcap remedy.
    std::function<std::string()> programPath;
    // The helper portprov-io that belongs to this program, if it is there.
    std::function<std::optional<std::string>()> helperProgram;
    // This program's own path could not be read, so no helper was looked
    // for (may be left empty: the path was read).
    std::function<bool()> ownPathUnknown;

    // The backends, built once chosen.
    std::function<std::unique_ptr<PortBackend>()> openRaw;
    std::function<std::unique_ptr<PortBackend>()> openDevPort;
    std::function<std::unique_ptr<PortBackend>(std::vector<ParallelPortNode>)> openPpdev;
    // The helper portprov-io at helperPath for every address `here` does not
    // cover (for all of them where here is nullptr). Put in by the assembly of
    // the backends above the ports (hardware/HardwarePorts), which may reach
    // the helper; left empty, no way goes through the helper.
    std::function<std::unique_ptr<PortBackend>(std::unique_ptr<PortBackend> here,
                                               std::function<bool(std::uint16_t)> covers,
                                               const std::string& helperPath)>
        withHelper;
};

// The probes and backends of the machine the program runs on, without the
// helper (withHelper is left to the assembly).
LinuxAccessProbes LinuxSystemProbes();

// Who takes a way to the ports: the program itself, or the helper portprov-io
// on its behalf, which takes only the ways its own rights open (ppdev is the
// program's own way, and the helper does not start another helper).
enum class WayTaker { Program, Helper };

// The first way the table of ways in LinuxPorts.cpp opens, in this order: raw
// port instructions where granted (the program started as root); else
// /dev/port; else ppdev for the parallel ports this user may open, and the
// helper portprov-io, where it is there, for every other address (not under
// kernel lockdown, which no rights get past); else the helper alone. Where
// none opens, PortError naming the weightiest cause (kernel lockdown, missing
// permission, no /dev/port) and the remedy.
std::unique_ptr<PortBackend> OpenLinuxPorts(const LinuxAccessProbes& probes,
                                            WayTaker taker = WayTaker::Program);

} // namespace portprov
