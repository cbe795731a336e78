// SPDX-License-Identifier: MIT
#pragma once

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>

namespace portprov {

// A file that could not be saved. The text is for the user, in Swedish: what
// went wrong and what to do; the command line prints it and exits with 1.
class FileSaveError : public std::runtime_error {
public:
    explicit FileSaveError(const std::string& message) : std::runtime_error(message) {}
};

// Checks, before any work that the file is to hold begins, that a file can be
// saved at path: a name that is not empty and not a folder, in a folder that
// exists and may be written. Throws FileSaveError with the Swedish message
// that saving would give.
void CheckCanSave(const std::filesystem::path& path);

// Saves the text that write puts on its stream as the file at path, whole or
// not at all: it is written to a temporary file in the same folder, flushed
// to the disk, and only then renamed over path. A failure (a full disk, a
// folder that cannot be written, a path that names a folder) throws
// FileSaveError and leaves neither a half file at path nor the temporary file;
// a file already at path is replaced only by a complete one. An exception
// from write itself is passed on after the same clean-up.
void SaveWholeFile(const std::filesystem::path& path,
                   const std::function<void(std::ostream&)>& write);

} // namespace portprov
