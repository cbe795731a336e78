// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

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

// Gives back the raw port permissions the calling thread holds. Call it before
// starting another program from that thread: the kernel hands them on to the
// child, even an unprivileged one, and keeps them across exec. The next port
// access asks for them again. Does nothing where none are held.
void ReleaseThreadPortAccess();

} // namespace portprov
