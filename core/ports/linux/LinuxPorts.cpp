// SPDX-License-Identifier: MIT
#include "ports/linux/LinuxPorts.h"

#include "ports/linux/DevPortFile.h"
#include "ports/linux/KernelLockdown.h"
#include "ports/linux/LinuxMessages.h"
#include "ports/linux/PortLocks.h"
#include "ports/linux/PpdevPorts.h"
#include "ports/linux/ProgramPath.h"
#include "ports/linux/RawX86Ports.h"

#include <cerrno>
#include <unistd.h>

namespace portprov {

namespace msg = linux_messages;

namespace {

// What the ways tried so far found out, for the ways below them and for the
// refusal when none opens. An errno of a way not tried stays "not there".
class Findings {
public:
    explicit Findings(const LinuxAccessProbes& machine) : probes(machine) {}

    const LinuxAccessProbes& probes;
    int raw = ENOSYS;
    int devPort = ENOENT;
    int node = ENOENT;

    const std::optional<std::string>& lockdown() {
        if (!lockdown_)
            lockdown_ = probes.lockdownMode();
        return *lockdown_;
    }
    bool locked() { return LockdownForbidsRawPorts(lockdown()); }

    // The helper for what this program cannot reach, where it is there.
    // Under lockdown no rights reach the ports, so it is no way either.
    std::optional<std::string> helper() {
        if (!probes.withHelper || !probes.helperProgram || locked())
            return std::nullopt;
        return probes.helperProgram();
    }

private:
    std::optional<std::optional<std::string>> lockdown_;
};

std::unique_ptr<PortBackend> TryRaw(Findings& found) {
    found.raw = found.probes.rawAccess();
    return found.raw == 0 ? found.probes.openRaw() : nullptr;
}

std::unique_ptr<PortBackend> TryDevPort(Findings& found) {
    found.devPort = found.probes.devPort();
    return found.devPort == 0 ? found.probes.openDevPort() : nullptr;
}

// Whether an address is one of the three registers of one of ports.
std::function<bool(std::uint16_t)> RegistersOf(const std::vector<ParallelPortNode>& ports) {
    return [ports](std::uint16_t address) {
        for (const auto& reached : ports) {
            if (address >= reached.base && address - reached.base <= 2)
                return true;
        }
        return false;
    };
}

std::unique_ptr<PortBackend> TryPpdev(Findings& found) {
    const auto ports = found.probes.parallelPorts();
    for (const auto& port : ports) {
        found.node = found.probes.nodeAccess(port.node);
        if (found.node != 0)
            continue;
        auto here = found.probes.openPpdev(ports);
        const auto helper = found.helper();
        if (!helper)
            return here;
        return found.probes.withHelper(std::move(here), RegistersOf(ports), *helper);
    }
    return nullptr;
}

std::unique_ptr<PortBackend> TryHelperAlone(Findings& found) {
    const auto helper = found.helper();
    return helper ? found.probes.withHelper(nullptr, {}, *helper) : nullptr;
}

// One way to the ports: it opens where this machine lets it, and notes in the
// findings why not where not. Its texts are in LinuxMessages, the cause it
// notes is weighed in Refusal below.
struct LinuxWay {
    std::unique_ptr<PortBackend> (*tryOpen)(Findings& found);
    // The helper portprov-io takes it too: the helper's own rights open it.
    bool helperTakes;
};

// The ways to the ports, best first.
constexpr LinuxWay kLinuxWays[] = {
    {TryRaw, true},         // raw port instructions, where granted (started as root)
    {TryDevPort, true},     // /dev/port
    {TryPpdev, false},      // ppdev's parallel ports, and the helper for the rest
    {TryHelperAlone, false} // the helper for every address
};

bool IsPermissionError(int error) {
    return error == EPERM || error == EACCES;
}

// No way to the ports: the weightiest cause, and its remedy.
PortError Refusal(Findings& found) {
    const LinuxAccessProbes& probes = found.probes;
    if (found.locked())
        return PortError(PortErrorKind::NotPermitted, msg::Lockdown(*found.lockdown()));
    const std::string unknown =
        probes.ownPathUnknown && probes.ownPathUnknown() ? msg::OwnPathUnknown() : "";
    if (IsPermissionError(found.raw) || IsPermissionError(found.devPort) ||
        IsPermissionError(found.node)) {
        return PortError(PortErrorKind::NotPermitted,
                         unknown + msg::NotPermitted(probes.programPath()));
    }
    if (found.devPort == ENOENT && found.raw == ENOSYS)
        return PortError(PortErrorKind::Missing, msg::NoDevPort());
    return PortError(PortErrorKind::FailedAccess,
                     unknown + msg::NoWayToPorts(msg::ErrorText(found.raw),
                                                 msg::ErrorText(found.devPort),
                                                 probes.programPath()));
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

std::unique_ptr<PortBackend> OpenLinuxPorts(const LinuxAccessProbes& probes, WayTaker taker) {
    Findings found(probes);
    for (const LinuxWay& way : kLinuxWays) {
        if (taker == WayTaker::Helper && !way.helperTakes)
            continue;
        if (auto backend = way.tryOpen(found))
            return backend;
    }
    throw Refusal(found);
}

} // namespace portprov
