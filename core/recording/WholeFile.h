// SPDX-License-Identifier: MIT
#pragma once

#include "recording/SaveTarget.h"

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
// exists and may be written, reached by no link that is not to be followed
// and naming no disk (SaveTarget). Throws FileSaveError with the Swedish
// message that saving would give. What is saved later goes where was
// checked.
SaveTarget CheckCanSave(const std::filesystem::path& path);

// Saves the text that write puts on its stream as the checked file, whole or
// not at all: it is written to a new temporary file in the same folder,
// flushed to the disk, and only then renamed over the name. Whatever was put
// at the name since the check (a link, say) is replaced, never written
// through; the file checked gives the new one its owner and mode, less the
// set-ID and sticky bits. A failure (a full disk, a folder that cannot be
// written, a path that names a folder) throws FileSaveError and leaves
// neither a half file at the name nor the temporary file; a file already
// there is replaced only by a complete one. An exception from write itself
// is passed on after the same clean-up. A pipe or device is written to where
// it is, if it is still what was checked.
// stopped: asked when a wait for a pipe's reader or for room in it is cut
// short by a signal; true ends the saving with FileSaveError.
void SaveWholeFile(const SaveTarget& target, const std::function<void(std::ostream&)>& write,
                   const std::function<bool()>& stopped = {});
// Checks path and saves there at once.
void SaveWholeFile(const std::filesystem::path& path,
                   const std::function<void(std::ostream&)>& write);

} // namespace portprov
