// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace portprov {

// A port access that failed: the message is Swedish, for the user, and names
// the cause and what to do about it.
class PortError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

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
