// SPDX-License-Identifier: MIT
#include "hardware/HardwarePorts.h"

#include "hardware/HardwareMessages.h"

#if defined(__linux__)
#include "ports/linux/LinuxPorts.h"
#include "ports/linux/RawX86Ports.h"
#include "remote/HelperLaunch.h"
#include "remote/PortsWithHelper.h"
#elif defined(_WIN32)
#include "ports/windows/WindowsDlPortIo.h"
#endif

namespace portprov {

namespace msg = hardware_messages;

std::unique_ptr<PortBackend> OpenHardwarePorts() {
#if defined(__linux__)
    // The ports choose among the ways they reach themselves; the helper,
    // which sits above them, is put in here for the ways that go through it.
    LinuxAccessProbes probes = LinuxSystemProbes();
    probes.withHelper = [](std::unique_ptr<PortBackend> here,
                           std::function<bool(std::uint16_t)> covers,
                           const std::string& helperPath) -> std::unique_ptr<PortBackend> {
        return std::make_unique<PortsWithHelper>(
            std::move(here), std::move(covers), helperPath,
            [](const std::string& path) { return StartHelperPorts(path); });
    };
    return OpenLinuxPorts(probes);
#elif defined(_WIN32)
    return OpenDlPortIo();
#else
    throw PortError(PortErrorKind::Missing, msg::NoHardwareBackend());
#endif
}

std::string ProbeHardwareAccess() {
    // Opening a backend asks for permission and loads what it needs; no
    // backend touches a port before its first read or write.
    try {
        return msg::AccessPathInUse(OpenHardwarePorts()->describe());
    } catch (const PortError& error) {
        return msg::NoAccessPath(error.what());
    }
}

void ReleaseThreadPortAccess() {
#if defined(__linux__)
    RawX86Ports::ReleaseThreadGrant();
#endif
}

} // namespace portprov
