// SPDX-License-Identifier: MIT
#include "cli/SummaryNumbers.h"

#include <cstdio>

namespace portprov {

const NumberFormat& SwedishNumberFormat() {
    static const NumberFormat swedish{","};
    return swedish;
}

std::string Decimal(double value, int decimals, const NumberFormat& format) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    std::string result(text);
    if (const auto point = result.find('.'); point != std::string::npos)
        result.replace(point, 1, format.decimalSeparator);
    return result;
}

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
