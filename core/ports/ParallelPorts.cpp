// SPDX-License-Identifier: MIT
#include "ports/ParallelPorts.h"

#include "ports/ParallelPortRegisters.h"

#include <algorithm>

namespace portprov {

bool IsUsualParallelBase(std::uint16_t base) {
    return std::find(kUsualParallelBases.begin(), kUsualParallelBases.end(), base) !=
           kUsualParallelBases.end();
}

std::vector<std::uint16_t> KnownParallelBases(std::span<const std::uint16_t> reportedBases) {
    std::vector<std::uint16_t> bases(kUsualParallelBases.begin(), kUsualParallelBases.end());
    for (const std::uint16_t base : reportedBases) {
        if (std::find(bases.begin(), bases.end(), base) == bases.end())
            bases.push_back(base);
    }
    return bases;
}

std::optional<ParallelRegister> ParallelRegisterAt(std::uint16_t port,
                                                   std::span<const std::uint16_t> reportedBases) {
    for (const std::uint16_t base : KnownParallelBases(reportedBases)) {
        if (const std::optional<Register> reg = RegisterOfPortAt(port, base))
            return ParallelRegister{base, *reg};
    }
    return std::nullopt;
}

} // namespace portprov
