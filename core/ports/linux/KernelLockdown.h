// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace portprov {

// Where the kernel tells its lockdown mode: "none [integrity] confidentiality",
// the mode in force in brackets.
inline constexpr const char* kLockdownFile = "/sys/kernel/security/lockdown";

// The mode in force ("none", "integrity", "confidentiality"), or nothing when
// the file is missing or unreadable (kernels without lockdown support).
std::optional<std::string> ReadLockdownMode(const std::string& path = kLockdownFile);

// The mode out of the file's text, or nothing when no mode is bracketed.
std::optional<std::string> ParseLockdownMode(const std::string& text);

// Every mode but "none" forbids raw port access (ioperm, iopl, /dev/port).
bool LockdownForbidsRawPorts(const std::optional<std::string>& mode);

} // namespace portprov
