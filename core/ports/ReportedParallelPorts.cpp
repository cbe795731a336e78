// SPDX-License-Identifier: MIT
#include "ports/ReportedParallelPorts.h"

#include "ports/ParallelPortRegisters.h"
#include "ports/ParallelPorts.h"

#if defined(__linux__)
#include "ports/linux/ParallelPortDiscovery.h"
#endif

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace portprov {

std::vector<ReportedParallelPort> ReportedParallelPorts(const std::string& procRoot) {
    std::vector<ReportedParallelPort> ports;
#if defined(__linux__)
    for (const ParallelPortNode& node : FindParallelPorts(procRoot))
        ports.push_back({"parport" + std::to_string(node.number), node.base});
#else
    (void)procRoot;
#endif
    return ports;
}

std::vector<ReportedParallelPort> ReportedParallelPorts() {
#if defined(__linux__)
    // Not taken from the caller's environment where the program runs with
    // rights the caller lacks (setcap cap_sys_rawio): the list decides which
    // addresses are treated as a parallel port's.
    const char* testRoot = ::secure_getenv("PORTPROV_TEST_PARPORT_ROOT");
    return ReportedParallelPorts(testRoot != nullptr ? testRoot : kParportProcRoot);
#else
    return {};
#endif
}

std::vector<std::uint16_t> OtherParallelBases(std::span<const std::uint16_t> bases) {
    std::vector<std::uint16_t> others;
    for (const std::uint16_t base : bases) {
        if (!IsUsualParallelBase(base) &&
            std::find(others.begin(), others.end(), base) == others.end())
            others.push_back(base);
    }
    return others;
}

std::vector<std::uint16_t> BasesOf(const std::vector<ReportedParallelPort>& ports) {
    std::vector<std::uint16_t> bases;
    for (const ReportedParallelPort& port : ports)
        bases.push_back(port.base);
    return bases;
}

std::vector<std::string> AddressEntriesFor(std::span<const std::uint16_t> otherBases) {
    std::vector<std::string> entries;
    for (const std::uint16_t base : otherBases) {
        entries.emplace_back();
        for (const std::uint16_t offset : {kDataOffset, kStatusOffset, kControlOffset})
            entries.push_back(std::to_string(int{base} + int{offset}));
    }
    return entries;
}

std::string ReportedPortsDescription(const std::vector<ReportedParallelPort>& ports) {
    if (ports.empty()) {
#if defined(__linux__)
        return "Datorn rapporterar inga parallellportar.\n";
#else
        return {}; // the program does not ask this system for its ports
#endif
    }
    std::string text = "Parallellportar som datorn rapporterar:\n";
    for (const ReportedParallelPort& port : ports) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%X", unsigned{port.base});
        text += "  " + port.name + ": " + std::to_string(port.base) + " (" + hex + ")\n";
    }
    return text;
}

} // namespace portprov
