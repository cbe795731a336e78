// SPDX-License-Identifier: MIT
#pragma once

#include "input/Conversions.h"

#include <chrono>
#include <string>

namespace portprov {

// How the command line writes numbers for people (its summaries and
// messages): the Swedish way whatever the user's locale, as the window does,
// with a decimal comma and no separator between thousands, so that a number
// is one word a script can take whole. Files (CSV, VCD) keep the point.
const NumberFormat& SwedishNumberFormat();

// A number with the format's decimal separator and `decimals` places.
std::string Decimal(double value, int decimals, const NumberFormat& format);

// "3,2 µs", "1,25 ms", "2,000 s": a time in the unit that suits it.
std::string Duration(std::chrono::nanoseconds time, const NumberFormat& format);

} // namespace portprov
