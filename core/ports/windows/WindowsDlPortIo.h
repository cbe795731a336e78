// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <memory>

namespace portprov {

// The Windows backend: the port-access driver library dlportio.dll, loaded by
// name on the first access, both entry points resolved by name.
std::unique_ptr<PortBackend> OpenDlPortIo();

} // namespace portprov
