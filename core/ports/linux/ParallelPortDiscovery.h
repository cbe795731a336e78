// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace portprov {

// Where the kernel lists the parallel ports it drives: one folder parportN
// per port, its base address first in the file base-addr.
inline constexpr const char* kParportProcRoot = "/proc/sys/dev/parport";
inline constexpr const char* kDeviceFolder = "/dev";

// A parallel port the kernel drives, and its device node for ppdev.
struct ParallelPortNode {
    int number = 0;         // N of parportN
    std::uint16_t base = 0; // data register; status at base + 1, control at base + 2
    std::string node;       // "/dev/parportN"
    bool operator==(const ParallelPortNode&) const = default;
};

// The ports listed under procRoot, by number. Folders that are not parportN,
// or whose base address is missing, unreadable or leaves no room for the
// three registers below 65536, are left out. So are ports at base 0: the
// kernel gives that to ports that have no I/O address (a USB adapter), and
// they must not answer for the PC's own ports 0 to 2.
std::vector<ParallelPortNode> FindParallelPorts(const std::string& procRoot = kParportProcRoot,
                                                const std::string& deviceFolder = kDeviceFolder);

} // namespace portprov
