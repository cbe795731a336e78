#pragma once

#include "PortBackend.h"

#include <memory>

namespace portprov {

// The Linux hardware backend: raw port access (ioperm/iopl with inb/outb, or
// /dev/port) where the kernel permits it, otherwise the kernel's parallel-port
// driver (ppdev) for the registers of the ports it drives. Throws PortError
// with the cause and the remedy when there is no way to the ports at all.
std::unique_ptr<PortBackend> OpenLinuxPorts();

} // namespace portprov
