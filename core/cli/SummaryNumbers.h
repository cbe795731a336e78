// SPDX-License-Identifier: MIT
#pragma once

#include "input/Conversions.h"

#include <chrono>
#include <string>

namespace portprov {

// A number with the user's decimal separator and `decimals` places.
std::string Decimal(double value, int decimals, const NumberFormat& format);

// "3,2 µs", "1,25 ms", "2,000 s": a time in the unit that suits it.
std::string Duration(std::chrono::nanoseconds time, const NumberFormat& format);

} // namespace portprov
