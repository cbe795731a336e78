// SPDX-License-Identifier: MIT
#pragma once

#include "CheckLog.h"

#include <chrono>
#include <functional>
#include <string>

namespace portprov::hardwaretest {

// Runs check in a child process with a deadline: an access that never comes
// back fails the check (the log tells where the child waited) instead of
// stopping the machine. The child and the processes it starts are ended
// together. The child's own checks print as they run; log counts one check
// for them all.
void RunWithDeadline(CheckLog& log, const std::string& what, std::chrono::seconds limit,
                     const std::function<void(CheckLog&)>& check);

} // namespace portprov::hardwaretest
