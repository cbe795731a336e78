// SPDX-License-Identifier: MIT
#include "input/DecimalText.h"

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

} // namespace portprov
