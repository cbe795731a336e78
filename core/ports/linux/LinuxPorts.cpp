// SPDX-License-Identifier: MIT
#include "ports/linux/LinuxPorts.h"

#include "ports/linux/DevPortFile.h"
#include "ports/linux/KernelLockdown.h"
#include "ports/linux/LinuxMessages.h"
#include "ports/linux/PortLocks.h"
#include "ports/linux/PpdevPorts.h"
#include "ports/linux/ProgramPath.h"
#include "ports/linux/RawX86Ports.h"
#include "remote/HelperLaunch.h"
#include "remote/PortsWithHelper.h"

#include <cerrno>
#include <unistd.h>

namespace portprov {

namespace msg = linux_messages;

namespace {

bool IsPermissionError(int error) {
    return error == EPERM || error == EACCES;
}

} // namespace

LinuxAccessProbes LinuxSystemProbes() {
    LinuxAccessProbes probes;
    probes.rawAccess = [] { return RawX86Ports::ProbeAccess(); };
    probes.devPort = [] { return DevPortFile::ProbeAccess(); };
    probes.lockdownMode = [] { return ReadLockdownMode(); };
    probes.parallelPorts = [] { return FindParallelPorts(); };
    probes.nodeAccess = [](const std::string& node) {
        return ::access(node.c_str(), R_OK | W_OK) == 0 ? 0 : errno;
    };
    probes.programPath = [] { return HelperProgramPath(); };
    probes.helperProgram = [] { return FindHelperProgram(); };
    probes.ownPathUnknown = [] { return !ReadOwnProgramPath(); };
    probes.openHelper = [](const std::string& path) { return StartHelperPorts(path); };
    probes.openRaw = [] { return std::make_unique<RawX86Ports>(SystemPortLocks()); };
    probes.openDevPort = [] {
        return std::make_unique<DevPortFile>(kDevPortPath, SystemPortLocks());
    };
    probes.openPpdev = [](std::vector<ParallelPortNode> ports) {
        // Under lockdown the addresses ppdev cannot reach have no remedy but
        // Secure Boot; the refusal must not send the user to root.
        return std::make_unique<PpdevPorts>(std::move(ports), KernelPpdev(), std::string{},
                                            ReadLockdownMode());
    };
    return probes;
}

std::unique_ptr<PortBackend> OpenLinuxPorts(const LinuxAccessProbes& probes) {
    const int raw = probes.rawAccess();
    if (raw == 0) {
        return probes.openRaw();
    }
    const int devPort = probes.devPort();
    if (devPort == 0) {
        return probes.openDevPort();
    }

    // Under lockdown no rights reach the ports, so the helper is no way either.
    const auto lockdown = probes.lockdownMode();
    const bool locked = LockdownForbidsRawPorts(lockdown);
    const auto helper = probes.helperProgram && !locked ? probes.helperProgram() : std::nullopt;
    const auto withHelper = [&](std::unique_ptr<PortBackend> here,
                                std::function<bool(std::uint16_t)> covers) -> std::unique_ptr<PortBackend> {
        if (!helper)
            return here;
        return std::make_unique<PortsWithHelper>(std::move(here), std::move(covers), *helper,
                                                 probes.openHelper);
    };

    const auto ports = probes.parallelPorts();
    int nodeError = ENOENT;
    for (const auto& port : ports) {
        nodeError = probes.nodeAccess(port.node);
        if (nodeError == 0) {
            return withHelper(probes.openPpdev(ports), [ports](std::uint16_t address) {
                for (const auto& reached : ports) {
                    if (address >= reached.base && address - reached.base <= 2)
                        return true;
                }
                return false;
            });
        }
    }
    if (helper)
        return withHelper(nullptr, {});

    // No way to the ports: tell the weightiest cause.
    if (locked) {
        throw PortError(PortErrorKind::NotPermitted, msg::Lockdown(*lockdown));
    }
    const std::string unknown =
        probes.ownPathUnknown && probes.ownPathUnknown() ? msg::OwnPathUnknown() : "";
    if (IsPermissionError(raw) || IsPermissionError(devPort) || IsPermissionError(nodeError)) {
        throw PortError(PortErrorKind::NotPermitted,
                        unknown + msg::NotPermitted(probes.programPath()));
    }
    if (devPort == ENOENT && raw == ENOSYS) {
        throw PortError(PortErrorKind::Missing, msg::NoDevPort());
    }
    throw PortError(PortErrorKind::FailedAccess,
                    unknown + msg::NoWayToPorts(msg::ErrorText(raw), msg::ErrorText(devPort),
                                                probes.programPath()));
}

std::unique_ptr<PortBackend> OpenLinuxPorts() {
    return OpenLinuxPorts(LinuxSystemProbes());
}

} // namespace portprov
