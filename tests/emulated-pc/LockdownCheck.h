// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov::hardwaretest {

// portprov-guest-check lockdown <text> <0|1>, as root: locks the kernel down
// (integrity) for good, root included; ppdev still reaches the parallel
// ports, and without it the refusal tells about the lockdown.
int RunLockdown(const std::string& text);

} // namespace portprov::hardwaretest
