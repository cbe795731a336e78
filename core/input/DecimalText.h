// SPDX-License-Identifier: MIT
#pragma once

#include "input/Conversions.h"

#include <string>

namespace portprov {

// How the program writes numbers for people outside the window (the command
// line's summaries and messages, the loopback test's counts): the Swedish way
// whatever the user's locale, as the window does, with a decimal comma and no
// separator between thousands, so that a number is one word a script can take
// whole. Files (CSV, VCD) keep the point.
const NumberFormat& SwedishNumberFormat();

// A number with the format's decimal separator and `decimals` places.
std::string Decimal(double value, int decimals, const NumberFormat& format);

} // namespace portprov
