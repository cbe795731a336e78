// SPDX-License-Identifier: MIT
#include "recording/RecordingFormats.h"

#include "recording/WholeFile.h"

#include <array>

namespace portprov {

namespace {

constexpr std::array<RecordingFormat, 2> kFormats{{
    {FileKind::Vcd, "VCD", "vcd", "Spara inspelningen som VCD (PulseView, GTKWave).",
     "VCD-filer (*.vcd)", "vcd",
     [](std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines,
        const VcdHeader& header) { WriteVcd(out, recording, lines, header); }},
    {FileKind::Csv, "CSV", "csv", "Spara inspelningen som CSV.", "CSV-filer (*.csv)", "csv",
     [](std::ostream& out, const Recording& recording, std::span<const RecordedLine> lines,
        const VcdHeader&) { WriteCsv(out, recording, lines); }},
}};

} // namespace

std::span<const RecordingFormat> RecordingFormats() {
    return kFormats;
}

const RecordingFormat& FormatOf(FileKind kind) {
    for (const RecordingFormat& format : kFormats) {
        if (format.kind == kind)
            return format;
    }
    return kFormats.front();
}

void SaveRecording(const std::filesystem::path& path, FileKind kind, const Recording& recording,
                   std::span<const RecordedLine> lines, const VcdHeader& header) {
    const RecordingFormat& format = FormatOf(kind);
    SaveWholeFile(path, [&](std::ostream& out) { format.write(out, recording, lines, header); });
}

void SaveRecording(const SaveTarget& target, FileKind kind, const Recording& recording,
                   std::span<const RecordedLine> lines, const VcdHeader& header,
                   const std::function<bool()>& stopped) {
    const RecordingFormat& format = FormatOf(kind);
    SaveWholeFile(
        target, [&](std::ostream& out) { format.write(out, recording, lines, header); }, stopped);
}

} // namespace portprov
