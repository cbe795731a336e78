#pragma once

#include "PortBackend.h"

#include <memory>

namespace portprov {

// The real ports of the platform the program runs on (Linux or Windows).
// Throws PortError when they cannot be reached.
std::unique_ptr<PortBackend> OpenHardwarePorts();

} // namespace portprov
