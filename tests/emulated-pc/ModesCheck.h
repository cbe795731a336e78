// SPDX-License-Identifier: MIT
#pragma once

namespace portprov::hardwaretest {

// portprov-guest-check modes, as root: Portprov's probe of the port's modes
// on each path agrees with the kernel's report, mode by mode.
int RunModes();

} // namespace portprov::hardwaretest
