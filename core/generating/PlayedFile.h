// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Waveform.h"

#include <cstddef>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

namespace portprov {

// The most a played file may hold; each is named in its refusal. A recording
// the player can take fits well inside the defaults: it plays
// kMostPlayedChanges changes, and each row the recorder writes changes at
// least one line, an output or an input read past, so ten rows a change
// leave room for the inputs; the header of a recording of every usual
// register of the three parallel ports and the game port takes under 2 KiB,
// and a row of one port's three registers under 50 bytes, so that the most
// rows of it fit in the largest file twice over. Reading stops at a bound,
// so that a device or a file that never ends a line (/dev/zero) is refused
// rather than read until memory runs out.
struct PlayedFileBounds {
    std::size_t longestLine = 64 * 1024; // bytes, without the line's end
    std::size_t mostLines = 10 * kMostPlayedChanges; // the header and blank lines too
    std::uintmax_t largestFile = std::uintmax_t{1} << 30; // bytes
};

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
// last row's time. A text of the file quoted in a refusal is cut short and
// made printable, so that no control sequence reaches a terminal.
PlayedFileResult ReadPlayedFile(std::istream& in, std::uint16_t base,
                                const PlayedFileBounds& bounds = {});

// "Spelades inte upp (ingångar och andra register): stift10_ack, stift15_fel."
// of a file's ignored columns; empty when there were none.
std::string IgnoredColumnsNote(const std::vector<std::string>& ignored);

} // namespace portprov
