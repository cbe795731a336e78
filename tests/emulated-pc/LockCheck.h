// SPDX-License-Identifier: MIT
#pragma once

namespace portprov::hardwaretest {

// portprov-guest-check locks, as root: while one program holds the parallel
// port for a sequence on the raw path, a second one is told the port is
// busy, whichever way it comes; once the first lets go, it reaches the port.
int RunLocks();

} // namespace portprov::hardwaretest
