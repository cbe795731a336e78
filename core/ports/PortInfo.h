// SPDX-License-Identifier: MIT
#pragma once

#include "ports/KernelPortAccount.h"
#include "ports/PortModes.h"

#include <cstdint>
#include <string>
#include <vector>

namespace portprov {

// What --info and Verktyg → Portinfo… say of a parallel port, in Swedish.

// "888 (0x378)".
std::string PortTitle(std::uint16_t base);
// The modes the probe found: "SPP, PS/2, EPP, ECP"; "ingen port" where
// nothing answers; "okänt" when the port is out of the access path's reach.
std::string FoundModesText(const PortModes& modes);
// The kernel's: "SPP, PS/2, EPP — irq 7, dma 3" ("— ingen irq" without one).
std::string KernelText(const KernelPortAccount& account);
// The kernel's irq and dma alone: "irq 7, dma 3", "ingen irq".
std::string KernelResourcesText(const KernelPortAccount& account);
// What the found modes leave out, one line each: modes out of reach
// ("ECP: okänt, portåtkomsten når inte adress 1914") and modes the kernel
// and the probe disagree on ("EPP: kärnan ja, Portprov nej"), modes alike
// in this on one line.
std::vector<std::string> ModeNotes(const PortModes& modes, const KernelPortAccount* account);
// "Apparat på porten (IEEE 1284): MFG:..." for each device ID the kernel read.
std::vector<std::string> DeviceNotes(const KernelPortAccount& account);

// The lines --info prints for a port, each ending in a newline:
//   888 (0x378): SPP, PS/2, EPP, ECP — irq 7
//     EPP: kärnan nej, Portprov ja
// the first with the found modes and the kernel's irq and dma, indented
// below it the notes of the modes and of the devices.
std::string InfoLines(const PortModes& modes, const KernelPortAccount* account);

} // namespace portprov
