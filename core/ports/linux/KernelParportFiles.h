// SPDX-License-Identifier: MIT
#pragma once

#include "ports/KernelPortAccount.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// The kernel's files of one port, parportN under /proc/sys/dev/parport:
//   modes       "PCSPP,TRISTATE,COMPAT,EPP,ECP,DMA": the modes it found
//   irq, dma    a number, or "none" (older kernels: -1)
//   autoprobe, autoprobe0 to autoprobe3
//               the IEEE 1284 device ID of the device (or of each daisy-chained
//               one) as read at the driver's start, field by field on lines
//               of their own; empty when none was read

// The modes of a modes text. Names other than PCSPP, TRISTATE, EPP and ECP
// (COMPAT and DMA say how the driver moves bytes) are passed over.
std::array<bool, kPortModes.size()> ParseKernelModes(std::string_view text);
// The number of an irq or dma text; nothing for "none", a negative number or
// anything else.
std::optional<int> ParseKernelNumber(std::string_view text);
// A device ID on one line, its fields joined by spaces, as printable text
// (PrintableText); empty for none.
std::string DeviceIdLine(std::string_view text);

// The accounts of the ports under procRoot that FindParallelPorts lists, each
// file read as it reads base-addr (a regular file, without waiting, of a
// bounded length). A file that cannot be read counts as empty.
std::vector<KernelPortAccount> ReadKernelPortAccounts(const std::string& procRoot);

} // namespace portprov
