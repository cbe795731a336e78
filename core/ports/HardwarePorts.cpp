// SPDX-License-Identifier: MIT
#include "ports/HardwarePorts.h"

#include "ports/HardwareMessages.h"

#if defined(__linux__)
#include "ports/linux/LinuxPorts.h"
#include "ports/linux/RawX86Ports.h"
#elif defined(_WIN32)
#include "ports/windows/WindowsDlPortIo.h"
#endif

namespace portprov {

namespace msg = hardware_messages;

std::unique_ptr<PortBackend> OpenHardwarePorts() {
#if defined(__linux__)
    return OpenLinuxPorts();
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
