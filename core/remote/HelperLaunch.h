// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/ProgramPath.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// The polkit action that lets pkexec start the installed helper after the
// administrator's password.
inline constexpr const char* kHelperPolkitAction =
    "/usr/share/polkit-1/actions/example.portprov.portprov-io.policy";
inline constexpr const char* kPkexecPath = "/usr/bin/pkexec";

// Where pkexec, its polkit action and the helper it may start are; tests
// put them in a folder of their own.
struct PkexecWay {
    std::string helper = kInstalledHelperPath;
    std::string pkexec = kPkexecPath;
    std::string action = kHelperPolkitAction;
};

// The command that starts the helper found at path through pkexec, or nothing
// when pkexec or its action is missing, or path is not the installed helper.
// The helper beside /usr/bin/portprov is found as
// /usr/bin/../libexec/portprov/portprov-io, so both are compared resolved;
// pkexec is handed the installed path itself, the one its action names.
std::optional<std::vector<std::string>> PkexecCommand(const std::string& path,
                                                      const PkexecWay& way = {});

// Starts the helper at path and hands back the ports through it. Started
// directly first: it has the rights when it carries the capability or
// belongs to root and is setuid. When it has none and the polkit action is
// installed, it is started again through pkexec, which asks for the
// administrator's password. Throws PortError (NotPermitted) naming the three
// ways to give the helper its rights when neither gets to the ports (pkexec's
// as asked already, when it was), or the helper's own failure when it has
// another cause.
std::unique_ptr<PortBackend> StartHelperPorts(const std::string& path, const PkexecWay& way = {});

} // namespace portprov
