// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace portprov {

// A parallel port the operating system reports, by its name there.
struct ReportedParallelPort {
    std::string name;       // "parport0"
    std::uint16_t base = 0; // its data register; status and control follow
    bool operator==(const ReportedParallelPort&) const = default;
};

// The parallel ports the system reports: on Linux those under procRoot
// (FindParallelPorts), elsewhere none.
std::vector<ReportedParallelPort> ReportedParallelPorts(const std::string& procRoot);
// The same from the system's own list. Tests point it at a folder of their
// own with the environment variable PORTPROV_TEST_PARPORT_ROOT, which a
// program with more rights than its caller leaves unread (secure_getenv).
std::vector<ReportedParallelPort> ReportedParallelPorts();

// The bases that are not one of the usual three (888, 632, 956), each once,
// in the order reported.
std::vector<std::uint16_t> OtherParallelBases(std::span<const std::uint16_t> bases);
std::vector<std::uint16_t> BasesOf(const std::vector<ReportedParallelPort>& ports);

// The address list's entries for other ports: for each base a blank entry,
// then its three register addresses in decimal.
std::vector<std::string> AddressEntriesFor(std::span<const std::uint16_t> otherBases);

// For --help: each port as "parport0: 888 (0x378)" on a line of its own under
// a heading, or a line saying that none is reported (nothing where the
// program does not ask the system).
std::string ReportedPortsDescription(const std::vector<ReportedParallelPort>& ports);

} // namespace portprov
