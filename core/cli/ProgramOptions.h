// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace portprov {

// One option of the command line, as --help lists it.
struct OptionDeclaration {
    std::string shortName; // one letter, or empty
    std::string name;      // without the dashes
    std::string help;      // Swedish
    std::string valueName; // its value in the help ("adress"); empty: it takes none
};

// Every option of the program, in the order --help lists them: the window's
// reading of the command line adds them from here. The tables of the
// recording formats and of the loopback plugs fill in their own parts.
std::vector<OptionDeclaration> ProgramOptions();

// "a, b" with last before the final one: "--vcd eller --csv".
std::string Listed(const std::vector<std::string>& items, std::string_view last);
// The recording formats' options, each followed by suffix: "--vcd FIL".
std::vector<std::string> FileOptions(std::string_view suffix);
// The loopback plugs' --plug values, each followed by its pin pairs where
// withPins: "control (stift 1-13, ...)".
std::vector<std::string> PlugChoices(bool withPins);

} // namespace portprov
