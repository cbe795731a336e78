// SPDX-License-Identifier: MIT
#include "remote/HelperLaunch.h"

#include "ports/linux/LinuxMessages.h"
#include "remote/HelperPorts.h"

#include <unistd.h>

namespace portprov {

namespace {

bool IsProgram(const std::string& path) {
    return ::access(path.c_str(), X_OK) == 0;
}

} // namespace

std::unique_ptr<PortBackend> StartHelperPorts(const std::string& path) {
    try {
        return std::make_unique<HelperPorts>(std::vector<std::string>{path});
    } catch (const PortError& error) {
        if (error.kind() != PortErrorKind::NotPermitted)
            throw;
    }
    // pkexec runs only the path its action names, and asks for the
    // administrator's password (kept for a while), so that nothing else of
    // this program ever runs as root.
    if (path == kInstalledHelperPath && IsProgram(kPkexecPath) &&
        ::access(kHelperPolkitAction, R_OK) == 0) {
        try {
            return std::make_unique<HelperPorts>(std::vector<std::string>{kPkexecPath, path});
        } catch (const PortError&) {
            // Refused or cancelled: the user is told the ways below.
        }
    }
    throw PortError(PortErrorKind::NotPermitted, linux_messages::NotPermitted(path));
}

} // namespace portprov
