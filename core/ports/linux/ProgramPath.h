// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace portprov {

// The running program's absolute path (/proc/self/exe); nothing when it
// cannot be read (no /proc) or is not absolute.
std::optional<std::string> ReadOwnProgramPath();

// The path of the running program, for the setcap remedy. Falls back to a
// placeholder the user can recognise when it cannot be found.
std::string OwnProgramPath();

// Where the Debian package puts the helper portprov-io, the one program of
// Portprov that may hold port rights.
inline constexpr const char* kInstalledHelperPath = "/usr/libexec/portprov/portprov-io";

// The helper that belongs to the program at ownPath:
// <prefix>/libexec/portprov/portprov-io beside <prefix>/bin/portprov, or
// portprov-io in the program's own folder (the build tree). Nothing when
// neither is there, and nothing when ownPath is unknown or relative: a
// helper is never looked for in the working folder, where anyone may put one.
std::optional<std::string> FindHelperProgram(const std::optional<std::string>& ownPath);
// The helper that belongs to this program.
std::optional<std::string> FindHelperProgram();

// The program the rights belong on, for the setcap remedy: the helper (this
// program itself, in the helper), or where it would be installed.
std::string HelperProgramPath();

// text as one word for the shell: as it is when that is safe, else in single quotes.
std::string ShellQuoted(const std::string& text);

// "sudo setcap cap_sys_rawio+ep <path>", the path quoted for the shell when needed.
std::string SetcapCommand(const std::string& programPath);

} // namespace portprov
