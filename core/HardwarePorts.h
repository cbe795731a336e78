#pragma once

#include "PortBackend.h"

#include <memory>
#include <string>

namespace portprov {

// The real ports of the platform the program runs on (Linux or Windows).
// Throws PortError when they cannot be reached.
std::unique_ptr<PortBackend> OpenHardwarePorts();

// Tells in Swedish which way to the real ports the program would take on this
// machine, or why there is none and what to do. Asks the system for
// permission only; reads and writes no port.
std::string ProbeHardwareAccess();

} // namespace portprov
