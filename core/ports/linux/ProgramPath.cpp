// SPDX-License-Identifier: MIT
#include "ports/linux/ProgramPath.h"

#include <array>
#include <cstring>
#include <unistd.h>

namespace portprov {

namespace {

// Characters a shell takes literally outside quotes.
bool IsShellSafe(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
           std::strchr("/._-+,:@%", c) != nullptr;
}

} // namespace

std::string ShellQuoted(const std::string& text) {
    bool safe = !text.empty();
    for (char c : text) {
        safe = safe && IsShellSafe(c);
    }
    if (safe) {
        return text;
    }
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'') {
            quoted += "'\\''";
        } else {
            quoted += c;
        }
    }
    return quoted + "'";
}

std::optional<std::string> ReadOwnProgramPath() {
    std::array<char, 4096> buffer{};
    const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (length > 0 && buffer[0] == '/') {
        return std::string(buffer.data(), static_cast<std::size_t>(length));
    }
    return std::nullopt;
}

std::string OwnProgramPath() {
    return ReadOwnProgramPath().value_or("<sökvägen till portprov>");
}

std::optional<std::string> FindHelperProgram(const std::optional<std::string>& ownPath) {
    if (!ownPath || ownPath->empty() || ownPath->front() != '/')
        return std::nullopt;
    const std::string folder = ownPath->substr(0, ownPath->rfind('/') + 1);
    for (const std::string& candidate :
         {folder + "../libexec/portprov/portprov-io", folder + "portprov-io"}) {
        if (::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}

std::optional<std::string> FindHelperProgram() {
    return FindHelperProgram(ReadOwnProgramPath());
}

std::string HelperProgramPath() {
    const std::string own = OwnProgramPath();
    if (own.size() >= 12 && own.compare(own.size() - 12, 12, "/portprov-io") == 0)
        return own;
    return FindHelperProgram().value_or(kInstalledHelperPath);
}

std::string SetcapCommand(const std::string& programPath) {
    return "sudo setcap cap_sys_rawio+ep " + ShellQuoted(programPath);
}

} // namespace portprov
