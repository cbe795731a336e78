// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <chrono>
#include <optional>
#include <ostream>
#include <span>
#include <string>

// The files a recording is saved in, for the tools that show logic signals
// (PulseView, GTKWave, a spreadsheet). Each line is one signal, named by its
// wire name, at its level on the connector.
namespace portprov {

// What the VCD header tells besides the signals.
struct VcdHeader {
    std::string version;                        // the program's name and version
    std::chrono::system_clock::time_point date; // when the recording was made
    // The time between two reads of a register (ResolutionOf); 0 when not
    // known.
    std::chrono::nanoseconds resolution{};
};

// A recording's resolution: the period at a fixed rate (rounds a second),
// else the mean time between two reads of a register; 0 when neither is
// known.
std::chrono::nanoseconds ResolutionOf(const RecordingStats& stats, std::optional<double> rate);

// IEEE 1364 value change dump: the header, the initial levels in $dumpvars,
// then a "#time" block for each moment with only the lines that changed, and
// a last "#time" at the recording's length.
// The time unit is the coarsest power of ten (1 ns to 1 s) not coarser than
// the resolution, and the times are rounded to it: sigrok and PulseView take
// each unit as a sample, so a finer unit than the recording resolves only
// makes the file take more memory there (a 1 s recording at 1 kHz in 1 ns is
// a billion samples). Two moments that round to one unit are kept apart, the
// later one unit later, so that no change is lost or moved before another.
// Without a resolution the unit is the coarsest that keeps every time exact.
void WriteVcd(std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines,
              const VcdHeader& header);

// Comma-separated values: a header row ("tid_s", then the wire names), a row
// at time 0 with the initial levels, a row for each moment at which a line
// changed, and a last row at the recording's length, so that the file keeps
// how long the levels held. Times in seconds with nine decimals, levels 0 or
// 1, each row ended by a newline.
void WriteCsv(std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines);

} // namespace portprov
