// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace portprov {

// Opens a backend. Called on the first port access, not before, and again on
// the next access for as long as it throws PortError.
using BackendFactory = std::function<std::unique_ptr<PortBackend>()>;

// Chooses the backend at start-up. Nothing is opened until the first access;
// a backend opened earlier is closed.
void SelectPortBackend(BackendFactory factory);

// A factory that hands out a backend owned elsewhere (tests keep the fake).
BackendFactory SharedBackend(std::shared_ptr<PortBackend> backend);

// Description of the bound backend, or of none yet bound.
std::string PortAccessDescription();

// Largest valid x86 I/O address.
inline constexpr std::int32_t kHighestPort = 65535;
inline constexpr bool IsValidPort(std::int64_t port) {
    return port >= 0 && port <= kHighestPort;
}

// The program's only ways to a port. Both throw PortError when the backend
// cannot be opened, refuses the access, or the address is outside 0 to 65535
// (such an address never reaches a backend).
std::uint8_t DlPortReadPortUchar(std::int32_t port);
// The low 8 bits of value are written.
void DlPortWritePortUchar(std::int32_t port, std::int32_t value);

// Keeps the port at `port` for a sequence of accesses by this program (a
// loopback test) while the result lives, so that a second program on the same
// port cannot come between them (PortBackend::holdForSequence). Throws
// PortError like the accesses, and Busy while another program keeps the port.
// nullptr where the backend needs no hold.
[[nodiscard]] std::unique_ptr<PortHold> HoldPortForSequence(std::int32_t port);

} // namespace portprov
