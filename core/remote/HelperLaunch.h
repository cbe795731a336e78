// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/ProgramPath.h"

#include <memory>
#include <optional>
#include <string>

namespace portprov {

// The polkit action that lets pkexec start the installed helper after the
// administrator's password.
inline constexpr const char* kHelperPolkitAction =
    "/usr/share/polkit-1/actions/example.portprov.portprov-io.policy";
inline constexpr const char* kPkexecPath = "/usr/bin/pkexec";

// Starts the helper at path and hands back the ports through it. Started
// directly first: it has the rights when it carries the capability or
// belongs to root and is setuid. When it has none and the polkit action is
// installed, it is started again through pkexec, which asks for the
// administrator's password. Throws PortError (NotPermitted) naming the three
// ways to give the helper its rights when neither gets to the ports, or the
// helper's own failure when it has another cause.
std::unique_ptr<PortBackend> StartHelperPorts(const std::string& path);

} // namespace portprov
