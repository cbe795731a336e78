// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortIo.h"

#include <string>

namespace portprov::hardwaretest {

// One of the program's ways to the ports, forced for a test.
struct GuestPath {
    std::string name; // short name in the guest's output and on the printout
    BackendFactory open;
};

GuestPath RawPath();     // ioperm/iopl, then inb/outb
GuestPath DevPortPath(); // pread/pwrite on /dev/port
GuestPath PpdevPath();   // the kernel's parallel-port driver
GuestPath ChooserPath(); // whatever the Linux build picks by itself

} // namespace portprov::hardwaretest
