// SPDX-License-Identifier: MIT
#include "GuestPaths.h"

#include "hardware/HardwarePorts.h"
#include "ports/linux/DevPortFile.h"
#include "ports/linux/ParallelPortDiscovery.h"
#include "ports/linux/PpdevPorts.h"
#include "ports/linux/RawX86Ports.h"

namespace portprov::hardwaretest {

GuestPath RawPath() {
    return {"ioperm", [] { return std::make_unique<RawX86Ports>(); }};
}

GuestPath DevPortPath() {
    return {"/dev/port", [] { return std::make_unique<DevPortFile>(); }};
}

GuestPath PpdevPath() {
    return {"ppdev", [] { return std::make_unique<PpdevPorts>(FindParallelPorts()); }};
}

GuestPath ChooserPath() {
    return {"chooser", [] { return OpenHardwarePorts(); }};
}

} // namespace portprov::hardwaretest
