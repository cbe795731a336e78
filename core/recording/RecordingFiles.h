// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"

#include <chrono>
#include <filesystem>
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
};

// IEEE 1364 value change dump: the header, the initial levels in $dumpvars,
// then a "#time" block for each moment with only the lines that changed, and
// a last "#time" at the recording's length. The time unit is the largest
// power of ten (from 1 ns to 1 s) that all the times are whole multiples of,
// so that a coarse recording does not become a billion samples in PulseView.
void WriteVcd(std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines,
              const VcdHeader& header);

// Comma-separated values: a header row ("tid_s", then the wire names), a row
// at time 0 with the initial levels, then a row for each moment at which a
// line changed. Times in seconds with nine decimals, levels 0 or 1.
void WriteCsv(std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines);

// The same, saved whole or not at all (SaveWholeFile): a failure throws
// FileSaveError with a Swedish message.
void SaveVcd(const std::filesystem::path& path, const Recording& recording,
             std::span<const RecordedLine> lines, const VcdHeader& header);
void SaveCsv(const std::filesystem::path& path, const Recording& recording,
             std::span<const RecordedLine> lines);

} // namespace portprov
