// SPDX-License-Identifier: MIT
#pragma once

#include "recording/Recording.h"
#include "recording/RecordingFiles.h"
#include "recording/SaveTarget.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <span>
#include <string_view>

// The kinds of file a recording is saved in, in one table: the command line's
// options, the file dialog's filters and the writers all come from it, so
// that another kind of file is one row and its writer.
namespace portprov {

enum class FileKind { Vcd, Csv };

struct RecordingFormat {
    FileKind kind;
    std::string_view name;       // as a person calls it: "VCD"
    std::string_view option;     // on the command line, without "--": "vcd"
    std::string_view optionHelp; // the option's help, in Swedish
    std::string_view filter;     // the file dialog's filter: "VCD-filer (*.vcd)"
    std::string_view extension;  // without the dot: "vcd"
    // Writes the file; a kind that has no use for the header ignores it.
    void (*write)(std::ostream& out, const Recording& recording,
                  std::span<const RecordedLine> lines, const VcdHeader& header);
};

// Every kind, in the order offered.
std::span<const RecordingFormat> RecordingFormats();
const RecordingFormat& FormatOf(FileKind kind);

// Saves the recording as a file of this kind, whole or not at all
// (SaveWholeFile: "-" is standard output); a failure throws FileSaveError
// with a Swedish message.
void SaveRecording(const std::filesystem::path& path, FileKind kind, const Recording& recording,
                   std::span<const RecordedLine> lines, const VcdHeader& header);
// The same at a target checked before the recording began; stopped, as
// SaveWholeFile asks it, ends a save that waits on a pipe.
void SaveRecording(const SaveTarget& target, FileKind kind, const Recording& recording,
                   std::span<const RecordedLine> lines, const VcdHeader& header,
                   const std::function<bool()>& stopped);

} // namespace portprov
