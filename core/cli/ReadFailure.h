// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace portprov {

// "Kan inte läsa filen X: den finns inte." — why a file named on the command
// line could not be opened for reading, from the system's error number, in
// Swedish; an unknown number is named with the system's own words.
std::string CannotReadMessage(const std::string& path, int error);

} // namespace portprov
