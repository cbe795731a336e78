// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortError.h"

#include <cstdint>
#include <string>

namespace portprov {

// One way of reaching the PC's I/O ports. Addresses reaching a backend are
// already checked to be 0 to 65535.
class PortBackend {
public:
    virtual ~PortBackend() = default;

    virtual std::uint8_t read(std::uint16_t port) = 0;
    virtual void write(std::uint16_t port, std::uint8_t value) = 0;
    // Short Swedish description of the access path, for --help and messages.
    virtual std::string describe() const = 0;
};

} // namespace portprov
