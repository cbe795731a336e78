// SPDX-License-Identifier: MIT
#include "recording/WholeFile.h"

#include "recording/FileOutput.h"
#include "recording/SaveMessages.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <iostream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace portprov {

namespace {

using namespace file_output;
using namespace save_messages;

// The temporary file: open until closed, removed unless kept.
class TemporaryFile {
public:
    TemporaryFile(const SaveTarget& target, bool privately) : folder_(target.folder()) {
        // A name of its own in the target's folder, so that the rename stays
        // on one file system; a dot hides it from a file list meanwhile, and
        // a random part keeps anyone from guessing it. A file or link put
        // there all the same makes the name taken (O_EXCL), never written.
        std::filesystem::path start = ".";
        const std::filesystem::path& name = target.name();
        // A long name leaves no room for the rest within the file system's
        // limit on a name.
        start += name.native().size() <= 200 ? name : std::filesystem::path("portprov");
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            name_ = start;
            // Appended piece by piece: "." + a temporary string trips GCC 12's
            // -Wrestrict at -O3 (a false alarm inside std::string).
            name_ += ".";
            name_ += RandomName();
            name_ += ".tmp";
            file_.reset(OpenNewFile(folder_, name_, privately));
            error = file_.get() < 0 ? errno : 0;
        }
        if (error != 0)
            throw FileSaveError(SaveMessage(target.shown(), error));
    }
    ~TemporaryFile() {
        if (!kept_) {
            file_.Close();
            RemoveFile(folder_, name_);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return file_.get(); }
    const std::filesystem::path& name() const { return name_; }
    int Close() { return file_.Close(); }
    void Keep() { kept_ = true; }

private:
    FolderHandle folder_;
    std::filesystem::path name_;
    Descriptor file_;
    bool kept_ = false;
};

// Writes what write puts on its stream to the file, and has it on the disk.
void WriteAll(int fd, const std::filesystem::path& path,
              const std::function<void(std::ostream&)>& write,
              const std::function<bool()>& stopped) {
    FileBuffer buffer(fd, stopped);
    {
        std::ostream stream(&buffer);
        write(stream);
        stream.flush();
    }
    if (buffer.error() != 0)
        throw FileSaveError(SaveMessage(path, buffer.error()));
    // A full disk may show itself only now, when the file system allocates
    // the blocks it had promised. A pipe or a terminal has no disk to reach.
    if (SyncFile(fd) != 0 && errno != EINVAL && errno != EROFS && errno != ENOTSUP)
        throw FileSaveError(SaveMessage(path, errno));
}

#ifndef _WIN32
// Gives the new file the owner, group and mode of the one it replaces, as far
// as we may: only root may give a file to another owner, and a group of ours.
// Never the set-ID or sticky bits: a recording is no program, and a copy of
// another's set-ID program's bits on a file of ours would be a door.
void TakeOwnerAndMode(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The file stays ours, in our group.
    }
    // Should this fail, the file keeps the owner-only mode it was made with.
    if (::fchmod(fd, old.st_mode & 0777) != 0) {
    }
}

// Opens the pipe or device that was checked, as it is; a wait for a pipe's
// reader that a signal cuts short ends when stopped says so.
Descriptor OpenSpecial(const SaveTarget& target, const std::function<bool()>& stopped) {
    const int follow = target.throughKernelLink() ? 0 : O_NOFOLLOW;
    for (;;) {
        Descriptor device(::openat(target.folder(), target.name().c_str(),
                                   O_WRONLY | O_NOCTTY | O_CLOEXEC | follow));
        const int error = errno;
        if (device.get() < 0 && error == EINTR && !(stopped && stopped()))
            continue;
        if (device.get() < 0)
            throw FileSaveError(error == ELOOP ? ReplacedMessage(target.shown())
                                               : SaveMessage(target.shown(), error));
        // Whatever took its name since the check (a file, written over in
        // place) is left alone.
        struct stat now {};
        const struct stat& was = target.found();
        if (::fstat(device.get(), &now) != 0 || (now.st_mode & S_IFMT) != (was.st_mode & S_IFMT) ||
            now.st_rdev != was.st_rdev)
            throw FileSaveError(ReplacedMessage(target.shown()));
        return device;
    }
}
#endif

void WriteToStandardOutput(const std::function<void(std::ostream&)>& write,
                           const std::function<bool()>& stopped) {
    // What the program printed before comes first.
    std::cout.flush();
    std::fflush(stdout);
    WriteAll(StandardOutput(), "-", write, stopped);
}

} // namespace

SaveTarget CheckCanSave(const std::filesystem::path& path) {
    return SaveTarget::Check(path);
}

void SaveWholeFile(const std::filesystem::path& path,
                   const std::function<void(std::ostream&)>& write) {
    SaveWholeFile(CheckCanSave(path), write);
}

void SaveWholeFile(const SaveTarget& target, const std::function<void(std::ostream&)>& write,
                   const std::function<bool()>& stopped) {
    if (target.kind() == SaveTarget::Kind::StandardOutput)
        return WriteToStandardOutput(write, stopped);
#ifndef _WIN32
    if (target.kind() == SaveTarget::Kind::Special) {
        // Replacing it with a file would take it away from everyone who uses
        // it (--vcd /dev/null run as root).
        Descriptor device = OpenSpecial(target, stopped);
        WriteAll(device.get(), target.shown(), write, stopped);
        if (const int error = device.Close(); error != 0)
            throw FileSaveError(SaveMessage(target.shown(), error));
        return;
    }
    // The file checked, if it is still there, gives the new one what it had.
    struct stat old {};
    const bool same =
        target.existed() &&
        ::fstatat(target.folder(), target.name().c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(old.st_mode) && old.st_dev == target.found().st_dev &&
        old.st_ino == target.found().st_ino;
    if (!same &&
        ::fstatat(target.folder(), target.name().c_str(), &old, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(old.st_mode))
        throw FileSaveError(SaveMessage(target.shown(), EISDIR));
    TemporaryFile file(target, same);
#else
    TemporaryFile file(target, false);
#endif
    WriteAll(file.fd(), target.shown(), write, stopped);
#ifndef _WIN32
    if (same)
        TakeOwnerAndMode(file.fd(), old);
#endif
    if (const int error = file.Close(); error != 0)
        throw FileSaveError(SaveMessage(target.shown(), error));

    if (const int error = RenameFile(target.folder(), file.name(), target.name()); error != 0) {
#ifndef _WIN32
        struct stat folder {};
        if (same && ::fstat(target.folder(), &folder) == 0 && StickyKeepsOut(folder, old, true))
            throw FileSaveError(StickyMessage(target.shown()));
#endif
        throw FileSaveError(SaveMessage(target.shown(), error));
    }
    file.Keep();
#ifndef _WIN32
    // The rename itself reaches the disk with the folder's entry.
    if (const int folder = ::openat(target.folder(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#endif
}

} // namespace portprov
