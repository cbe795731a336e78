// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace portprov {

// The program's monotonic clock, in nanoseconds since an arbitrary start. A
// type rather than a function, so that the read and write loops, which take
// their clock as a template argument, call it directly and cost no more than
// the clock itself.
struct SteadyNow {
    std::chrono::nanoseconds operator()() const noexcept {
        return std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::steady_clock::now().time_since_epoch());
    }
};

} // namespace portprov
