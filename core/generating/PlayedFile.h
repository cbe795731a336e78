// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Waveform.h"

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// A played file read: the sequence, or the Swedish refusal naming the line.
struct PlayedFileResult {
    std::optional<PlayedSequence> sequence;
    std::string refusal;
    // The columns that were read but not played: the port's inputs and the
    // lines of other registers, as a recording has them beside the outputs.
    std::vector<std::string> ignored{};
};

// Reads a CSV file in the recorder's own form (WriteCsv) as pin levels to
// play on the parallel port at `base`: a header "tid_s" and then columns
// named as the recorder names the lines; a row a time, in seconds with "."
// as the decimal point whatever the locale (the recorder writes it so, and
// "," separates the columns), never going back; levels 0 or 1. The columns
// of the data and control registers' pins are played (also with the base in
// front, "lpt888_stift2_d0", as a recording of several ports names them);
// the inputs and other registers' lines are ignored; any other name is
// refused. The first row gives the levels at its time, each later row
// changes the pins whose level it changes, and the sequence lasts to the
// last row's time.
PlayedFileResult ReadPlayedFile(std::istream& in, std::uint16_t base);

} // namespace portprov
