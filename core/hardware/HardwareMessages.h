// SPDX-License-Identifier: MIT
#pragma once

#include <string>

// The texts about the way to the real ports that belong to no one platform.
// Each platform's backends keep their own messages beside them
// (ports/linux/LinuxMessages.h, ports/windows/WindowsMessages.h).
namespace portprov::hardware_messages {

// No hardware backend exists for this operating system.
std::string NoHardwareBackend();

// Leads for ProbeHardwareAccess.
std::string AccessPathInUse(const std::string& description);
std::string NoAccessPath(const std::string& message);

} // namespace portprov::hardware_messages
