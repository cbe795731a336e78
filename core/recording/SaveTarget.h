// SPDX-License-Identifier: MIT
#pragma once

#include "recording/FileOutput.h"

#include <filesystem>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace portprov {

// Where a file is to be saved, as it was found when checked, before the work
// it is to hold began (CheckCanSave). The folder stays open until the saving,
// so that the file goes where was checked, whatever links are put in its
// path meanwhile.
//
// Links are followed as the kernel follows them with fs.protected_symlinks
// set, whatever it is set to: a link in a folder that anyone may write in and
// only owners may clear (as /tmp) is followed only when it is ours or the
// folder owner's. A file at the end of the links is replaced there, so that a
// link stays a link. What is not a file is written to where it is, never
// replaced: a pipe, and a device named by the user or by the kernel's own
// links to what the program was given (/dev/stdout, /dev/fd/N). A disk is
// refused, and so is a device reached by any other link.
class SaveTarget {
public:
    enum class Kind {
        StandardOutput, // "-"
        File,           // replaced whole, or made
        Special,        // a pipe or device, written to where it is
    };

    SaveTarget() = default;
    // Throws FileSaveError with the Swedish message saving would give.
    static SaveTarget Check(const std::filesystem::path& path);

    Kind kind() const { return kind_; }
    // The path of what is saved at the end of the links, for messages.
    const std::filesystem::path& shown() const { return shown_; }
    file_output::FolderHandle folder() const;
    const std::filesystem::path& name() const { return name_; }
    // Whether a file was there when checked.
    bool existed() const { return existed_; }
    // Whether saving here and at other would write the same file: both
    // standard output, one name in one folder, or one pipe or device.
    bool sameAs(const SaveTarget& other) const;
#ifndef _WIN32
    // What was there when checked: for a special target, what it leads to.
    const struct stat& found() const {
        return found_;
    }
    // Whether the name is a link the kernel keeps in /proc for an open file:
    // opened through it, where any other is opened as itself.
    bool throughKernelLink() const {
        return kernelLink_;
    }
#endif

private:
    Kind kind_ = Kind::StandardOutput;
    std::filesystem::path shown_;
    std::filesystem::path name_;
    bool existed_ = false;
#ifdef _WIN32
    std::filesystem::path folder_;
#else
    file_output::Descriptor folder_;
    struct stat found_ {};
    bool kernelLink_ = false;
#endif
};

#ifndef _WIN32
// Whether the sticky folder keeps us from replacing the file: only the
// file's owner, the folder's owner or root may (as in /tmp). evenRoot: tells
// why root, too, was kept out (by a file system that holds to it).
bool StickyKeepsOut(const struct stat& folder, const struct stat& file, bool evenRoot);
#endif

} // namespace portprov
