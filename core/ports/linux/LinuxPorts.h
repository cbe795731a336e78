// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/ParallelPortDiscovery.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// The Linux hardware backend: raw port access (ioperm/iopl with inb/outb, or
// /dev/port) where the kernel permits it, otherwise the kernel's parallel-port
// driver (ppdev) for the registers of the ports it drives. Throws PortError
// with the cause and the remedy when there is no way to the ports at all.
std::unique_ptr<PortBackend> OpenLinuxPorts();

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
    // Starts the helper at a path (PortsWithHelper starts it when needed).
    std::function<std::unique_ptr<PortBackend>(const std::string&)> openHelper;
};

// The probes and backends of the machine the program runs on.
LinuxAccessProbes LinuxSystemProbes();

// The choice, in this order: raw port instructions where granted (the program
// started as root); else /dev/port; else ppdev for the parallel ports this
// user may open, and the helper portprov-io, where it is there, for every
// other address (not under kernel lockdown, which no rights get past); else
// PortError naming the cause (kernel lockdown, missing permission, no
// /dev/port) and the remedy.
std::unique_ptr<PortBackend> OpenLinuxPorts(const LinuxAccessProbes& probes);

} // namespace portprov
