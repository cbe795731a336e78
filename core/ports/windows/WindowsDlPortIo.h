// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <memory>

namespace portprov {

// The Windows backend: the port driver's library, loaded by name on the first
// access from the program's own folder or the system folder, both entry points
// resolved by name. dlportio.dll first; where it is absent, the
// DLPortIO-compatible library of the InpOut32 driver of this program's bitness
// (inpoutx64.dll or inpout32.dll). Throws PortError with the reason.
std::unique_ptr<PortBackend> OpenDlPortIo();

} // namespace portprov
