// SPDX-License-Identifier: MIT
#include "remote/HelperLaunch.h"

#include "ports/linux/LinuxMessages.h"
#include "remote/HelperPorts.h"

#include <cstdlib>
#include <unistd.h>

namespace portprov {

namespace {

// The path with every link, "." and ".." resolved; nothing when it is not there.
std::optional<std::string> Resolved(const std::string& path) {
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (resolved == nullptr)
        return std::nullopt;
    std::string text(resolved);
    std::free(resolved);
    return text;
}

} // namespace

std::optional<std::vector<std::string>> PkexecCommand(const std::string& path,
                                                      const PkexecWay& way) {
    const auto found = Resolved(path);
    if (!found || found != Resolved(way.helper) || ::access(way.pkexec.c_str(), X_OK) != 0 ||
        ::access(way.action.c_str(), R_OK) != 0)
        return std::nullopt;
    return std::vector<std::string>{way.pkexec, way.helper};
}

std::unique_ptr<PortBackend> StartHelperPorts(const std::string& path, const PkexecWay& way) {
    try {
        return std::make_unique<HelperPorts>(std::vector<std::string>{path});
    } catch (const PortError& error) {
        if (error.kind() != PortErrorKind::NotPermitted)
            throw;
    }
    // pkexec runs only the path its action names, and asks for the
    // administrator's password (kept for a while), so that nothing else of
    // this program ever runs as root.
    const auto command = PkexecCommand(path, way);
    if (command) {
        try {
            return std::make_unique<HelperPorts>(*command);
        } catch (const PortError&) {
            // Refused or cancelled: the user is told the ways below.
        }
    }
    throw PortError(PortErrorKind::NotPermitted,
                    linux_messages::NotPermitted(path, command.has_value()));
}

} // namespace portprov
