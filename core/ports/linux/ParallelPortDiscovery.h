// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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

// The whole text of a regular file of at most mostBytes bytes, or nothing.
// The file is checked before and after opening, and opened without waiting,
// so that a folder, a FIFO or a device in its place neither stops nor floods
// the program.
std::optional<std::string> ShortFileText(const std::string& file, std::size_t mostBytes);

// The base address at the start of a base-addr text ("888\t1912\n": the base,
// then the ECP base), or nothing when there is none from 256 to 65533. Below
// 256 lie the motherboard's own devices; the kernel gives base 0 to ports
// without an I/O address (a USB adapter), which must not answer for the PC's
// own ports 0 to 2. Above 65533 the three registers do not fit below 65536.
std::optional<std::uint16_t> ParseBaseAddress(std::string_view text);

// The ports listed under procRoot, by number. Folders that are not parportN,
// or whose base-addr is missing, unreadable (also a folder, FIFO or device in
// its place, or longer than the kernel's line) or without a base address
// (ParseBaseAddress), are left out. So is a port at a base that is not one of
// the usual three and whose registers would share an address with a usual
// port, the game port (512-519) or a port of a lower number.
std::vector<ParallelPortNode> FindParallelPorts(const std::string& procRoot = kParportProcRoot,
                                                const std::string& deviceFolder = kDeviceFolder);

} // namespace portprov
