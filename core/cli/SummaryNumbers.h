// SPDX-License-Identifier: MIT
#pragma once

#include "input/DecimalText.h"

#include <chrono>
#include <string>

namespace portprov {

// The command line's summaries write their numbers with SwedishNumberFormat and
// Decimal (input/DecimalText.h), and their times with Duration.

// "3,2 µs", "1,25 ms", "2,000 s": a time in the unit that suits it.
std::string Duration(std::chrono::nanoseconds time, const NumberFormat& format);

} // namespace portprov
