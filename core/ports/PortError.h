// SPDX-License-Identifier: MIT
#pragma once

#include <stdexcept>
#include <string>

namespace portprov {

// What kind of failure a port access met. The window, the command line and
// the tests decide by the kind; the text is for the user alone.
enum class PortErrorKind {
    RefusedInput, // the address or value was refused before any port was touched
    NotPermitted, // the system forbids this user the access (permissions, lockdown)
    Missing,      // a device, driver or library the access needs is not there
    Busy,         // another program or driver holds the port
    NotCovered,   // the access path in use does not reach this address
    FailedAccess, // the access itself failed
};

// A port access that failed: its kind, and a Swedish message for the user
// that names the cause and what to do about it.
class PortError : public std::runtime_error {
public:
    PortError(PortErrorKind kind, const std::string& message)
        : std::runtime_error(message), kind_(kind) {}

    PortErrorKind kind() const noexcept { return kind_; }

private:
    PortErrorKind kind_;
};

} // namespace portprov
