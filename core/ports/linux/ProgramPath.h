// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov {

// The path of the running program, for the setcap remedy. Falls back to a
// placeholder the user can recognise when it cannot be found.
std::string OwnProgramPath();

// text as one word for the shell: as it is when that is safe, else in single quotes.
std::string ShellQuoted(const std::string& text);

// "sudo setcap cap_sys_rawio+ep <path>", the path quoted for the shell when needed.
std::string SetcapCommand(const std::string& programPath);

} // namespace portprov
