#include "GuestPaths.h"

#include "DevPortFile.h"
#include "LinuxPorts.h"
#include "ParallelPortDiscovery.h"
#include "PpdevPorts.h"
#include "RawX86Ports.h"

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
    return {"chooser", [] { return OpenLinuxPorts(); }};
}

} // namespace portprov::hardwaretest
