// SPDX-License-Identifier: MIT
#include "ports/KernelPortAccount.h"

#if defined(__linux__)
#include "ports/linux/KernelParportFiles.h"
#include "ports/linux/ParallelPortDiscovery.h"

#include <cstdlib>
#endif

namespace portprov {

std::vector<KernelPortAccount> KernelPortAccounts() {
#if defined(__linux__)
    // The same folder as ReportedParallelPorts reads, for the same reason.
    const char* testRoot = ::secure_getenv("PORTPROV_TEST_PARPORT_ROOT");
    return ReadKernelPortAccounts(testRoot != nullptr ? testRoot : kParportProcRoot);
#else
    return {};
#endif
}

const KernelPortAccount* AccountFor(const std::vector<KernelPortAccount>& accounts,
                                    std::uint16_t base) {
    for (const KernelPortAccount& account : accounts) {
        if (account.base == base)
            return &account;
    }
    return nullptr;
}

} // namespace portprov
