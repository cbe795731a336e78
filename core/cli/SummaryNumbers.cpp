// SPDX-License-Identifier: MIT
#include "cli/SummaryNumbers.h"

namespace portprov {

std::string Duration(std::chrono::nanoseconds time, const NumberFormat& format) {
    const double ns = static_cast<double>(time.count());
    if (ns < 1e3)
        return Decimal(ns, 0, format) + " ns";
    if (ns < 1e6)
        return Decimal(ns / 1e3, 1, format) + " µs";
    if (ns < 1e9)
        return Decimal(ns / 1e6, 2, format) + " ms";
    return Decimal(ns / 1e9, 3, format) + " s";
}

} // namespace portprov
