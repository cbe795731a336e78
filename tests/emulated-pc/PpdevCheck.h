// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov::hardwaretest {

// portprov-guest-check ppdev <text>, as root: loads the printer driver lp
// beside a program open on ppdev and prints through it (PrinterDriverCheck);
// then checks ppdev as an unprivileged member of the lp group, also while
// another process holds the port.
int RunPpdev(const std::string& text);

} // namespace portprov::hardwaretest
