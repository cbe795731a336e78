// SPDX-License-Identifier: MIT
#pragma once

#include <cerrno>

namespace portprov {

// Runs a system call again for as long as a signal interrupts it (it fails
// with EINTR); returns its last result, errno telling why it failed.
template <typename Call> auto RetryOnInterrupt(Call call) {
    auto result = call();
    while (result < 0 && errno == EINTR)
        result = call();
    return result;
}

} // namespace portprov
