// SPDX-License-Identifier: MIT
#pragma once

#include "CheckLog.h"

#include <string>

namespace portprov::hardwaretest {

// The printer driver lp beside a running program: the program (user 1000 in
// lp, through ppdev) reads 888 and stays open; meanwhile root loads lp and
// prints "<text> via lp" through /dev/lp0, which must finish within a few
// seconds; then the program's next access works. A program that kept the
// port claimed, or registered it for itself alone, would keep lp from
// loading or the print waiting. Runs as root, before the run drops its
// privileges.
void CheckPrinterDriverBeside(CheckLog& log, const std::string& text);

} // namespace portprov::hardwaretest
