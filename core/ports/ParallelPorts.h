// SPDX-License-Identifier: MIT
#pragma once

#include "connector/Connector.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

// The program's one answer to "which parallel ports are there", and to
// "which register of which port is this address". The pins, the recordings,
// the port locks, the helper and the window all ask here, so that an address
// that is a port's register to one of them is that register to all.
namespace portprov {

// Whether base is one of the usual three (888, 632, 956).
bool IsUsualParallelBase(std::uint16_t base);

// The parallel ports by base: the usual three first, whether or not the
// computer reports a port there (a system that reports none, Windows, still
// has its LPT1 and LPT2 there, and the user chose the address), then each
// other base the computer reports (reportedBases), once, in the order reported.
std::vector<std::uint16_t> KnownParallelBases(std::span<const std::uint16_t> reportedBases);

// A register of a parallel port.
struct ParallelRegister {
    std::uint16_t base;
    Register reg;
    bool operator==(const ParallelRegister&) const = default;
};

// The register the address port is of a known parallel port (data at the
// base, status one above, control two above), or nullopt. The usual bases are
// asked first, as KnownParallelBases lists them.
std::optional<ParallelRegister> ParallelRegisterAt(std::uint16_t port,
                                                   std::span<const std::uint16_t> reportedBases);

} // namespace portprov
