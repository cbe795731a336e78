// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortModes.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// What the operating system's own driver says of a parallel port: on Linux
// the kernel's parport driver, in /proc/sys/dev/parport/parportN. Reading it
// touches no port.
struct KernelPortAccount {
    std::string name;       // "parport0"
    std::uint16_t base = 0; // matches the port to the program's
    // The modes the driver found, by PortMode: PCSPP is SPP, TRISTATE PS/2.
    std::array<bool, kPortModes.size()> modes{};
    std::optional<int> irq; // nothing when the driver uses none
    std::optional<int> dma;
    // The IEEE 1284 device IDs the driver read from devices on the port (a
    // printer names itself), on one line each.
    std::vector<std::string> deviceIds;

    bool has(PortMode mode) const { return modes[static_cast<std::size_t>(mode)]; }
    bool operator==(const KernelPortAccount&) const = default;
};

// The accounts of the ports the system reports (ReportedParallelPorts, and
// from the same folder), in its order; none on Windows, where the program
// does not ask the system.
std::vector<KernelPortAccount> KernelPortAccounts();

// The account for base among accounts, if any.
const KernelPortAccount* AccountFor(const std::vector<KernelPortAccount>& accounts,
                                    std::uint16_t base);

} // namespace portprov
