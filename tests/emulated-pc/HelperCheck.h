// SPDX-License-Identifier: MIT
#pragma once

#include "CheckLog.h"

#include <cstdint>
#include <optional>
#include <string>
#include <sys/types.h>

namespace portprov::hardwaretest {

// portprov-guest-check helper <text>, as root: gives the helper portprov-io
// its one right, then checks that a user without rights reaches the ports
// through it (prints "<text> via portprov-io", then a pulse train with its
// own byte, PulseTrainCheck.h), and that killing that user's
// program during a sequence leaves the port as it was and the helper gone.
int RunHelper(const std::string& text);

// What root reads at port through /dev/port, nothing when it cannot.
std::optional<unsigned> RootRead(std::int32_t port);

// The helper the program `parent` started: one, running as user 1000, with
// cap_sys_rawio and nothing else.
std::optional<pid_t> CheckHelperOf(CheckLog& log, pid_t parent);

// Becomes user 1000 and checks that it has no right of its own, and none
// that the kernel would hand on.
bool CheckWithoutRights(CheckLog& log);

} // namespace portprov::hardwaretest
