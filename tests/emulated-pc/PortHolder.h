// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <sys/types.h>

namespace portprov::hardwaretest {

// A second process that holds a parallel port the way another program
// would: it opens the ppdev node, claims the port (for itself alone when
// asked, as older versions of this program did) and keeps it until the holder goes away.
class PortHolder {
public:
    enum class Claim { Shared, Exclusive };

    // Returns once the other process holds the port or has failed to.
    PortHolder(const std::string& node, Claim claim);
    ~PortHolder(); // ends the process, which lets go of the port
    PortHolder(const PortHolder&) = delete;
    PortHolder& operator=(const PortHolder&) = delete;

    bool holding() const { return error_.empty(); }
    const std::string& error() const { return error_; }

private:
    pid_t child_ = -1;
    std::string error_;
};

} // namespace portprov::hardwaretest
