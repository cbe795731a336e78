// SPDX-License-Identifier: MIT
#include "recording/WholeFile.h"

#include "recording/FileOutput.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <system_error>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace portprov {

namespace {

using namespace file_output;

bool IsStandardOutput(const std::filesystem::path& path) {
    return path.native() == std::filesystem::path("-").native();
}

std::string Shown(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// The user's message for a system error met while saving path.
std::string SaveMessage(const std::filesystem::path& path, int error) {
    const std::string start = IsStandardOutput(path) ? "Kan inte skriva till standard ut: "
                                                     : "Kan inte spara " + Shown(path) + ": ";
    const std::string folder = Shown(FolderOf(path));
    switch (error) {
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return start + "disken är full. Frigör utrymme eller spara på en annan disk.";
    case EACCES:
    case EPERM:
    case EROFS:
        return start + "mappen " + folder + " får inte skrivas i. Välj en annan mapp.";
    case ENOENT:
    case ENOTDIR:
        return start + "mappen " + folder + " finns inte.";
    case EISDIR:
        return start + "det är en mapp. Ange ett filnamn.";
    case EFBIG:
        return start + "filen blir större än systemet tillåter.";
    case ENAMETOOLONG:
        return start + "namnet är för långt. Välj ett kortare.";
    case ELOOP:
        return start + "länkarna till filen går i ring.";
    case EPIPE:
        return start + "mottagaren slutade läsa.";
    case ENXIO:
        return start + "ingen tar emot det som skrivs dit.";
    default:
        return start + std::strerror(error) + " (felkod " + std::to_string(error) + ").";
    }
}

// The temporary file: open until closed, removed unless kept.
class TemporaryFile {
public:
    TemporaryFile(const std::filesystem::path& target, bool privately) {
        // A name of its own in the target's folder, so that the rename stays
        // on one file system; a dot hides it from a file list meanwhile, and
        // a random part keeps anyone from putting a file or link there first.
        std::filesystem::path start = ".";
        const std::filesystem::path name = target.filename();
        // A long name leaves no room for the rest within the file system's
        // limit on a name.
        start += name.native().size() <= 200 ? name : std::filesystem::path("portprov");
        int error = EEXIST;
        for (int attempt = 0; attempt < 100 && error == EEXIST; ++attempt) {
            path_ = FolderOf(target) / start;
            // Appended piece by piece: "." + a temporary string trips GCC 12's
            // -Wrestrict at -O3 (a false alarm inside std::string).
            path_ += ".";
            path_ += RandomName();
            path_ += ".tmp";
            file_.reset(OpenNewFile(path_, privately));
            error = file_.get() < 0 ? errno : 0;
        }
        if (error != 0)
            throw FileSaveError(SaveMessage(target, error));
    }
    ~TemporaryFile() {
        if (!kept_) {
            file_.Close();
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return file_.get(); }
    const std::filesystem::path& path() const { return path_; }
    int Close() { return file_.Close(); }
    void Keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    Descriptor file_;
    bool kept_ = false;
};

// The file that a path names at the end of its symbolic links: saving goes
// there, so that a link stays a link.
std::filesystem::path Resolved(std::filesystem::path path) {
    for (int hop = 0; hop < 40; ++hop) {
        std::error_code error;
        if (!std::filesystem::is_symlink(path, error))
            return path;
        const std::filesystem::path link = std::filesystem::read_symlink(path, error);
        if (error)
            throw FileSaveError(SaveMessage(path, error.value()));
        path = link.is_absolute() ? link : FolderOf(path) / link;
    }
    throw FileSaveError(SaveMessage(path, ELOOP));
}

// Writes what write puts on its stream to the file, and has it on the disk.
void WriteAll(int fd, const std::filesystem::path& path,
              const std::function<void(std::ostream&)>& write) {
    FileBuffer buffer(fd);
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
// Whether path names, through any links, a device, pipe or socket: written
// to where it is, never replaced.
bool IsSpecial(const std::filesystem::path& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && !S_ISREG(info.st_mode) && !S_ISDIR(info.st_mode);
}

// Whether the sticky folder keeps us from replacing the file: only the
// file's owner, the folder's owner or root may (as in /tmp).
bool StickyKeepsOut(const struct stat& folder, const struct stat& file, bool evenRoot) {
    const uid_t me = ::geteuid();
    return (folder.st_mode & S_ISVTX) != 0 && file.st_uid != me && folder.st_uid != me &&
           (evenRoot || me != 0);
}

std::string StickyMessage(const std::filesystem::path& path) {
    return "Kan inte spara " + Shown(path) + ": filen tillhör en annan användare, och i mappen " +
           Shown(FolderOf(path)) + " får bara filens ägare ersätta den. Välj ett annat namn.";
}

// Gives the new file the owner, group and mode of the one it replaces, as far
// as we may: only root may give a file to another owner, and a group of ours.
void TakeOwnerAndMode(int fd, const struct stat& old) {
    struct stat now {};
    if (::fstat(fd, &now) == 0 && (now.st_uid != old.st_uid || now.st_gid != old.st_gid) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // The file stays ours, in our group.
    }
    // After the owner, which takes set-user-ID bits off. Should this fail,
    // the file keeps the owner-only mode it was made with.
    if (::fchmod(fd, old.st_mode & 07777) != 0) {
    }
}
#endif

} // namespace

void CheckCanSave(const std::filesystem::path& path) {
    if (path.empty())
        throw FileSaveError("Kan inte spara: ange ett filnamn.");
    if (IsStandardOutput(path))
        return;
#ifndef _WIN32
    if (IsSpecial(path)) {
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
            throw FileSaveError("Kan inte spara " + Shown(path) + ": den får inte skrivas till.");
        return;
    }
#endif
    const std::filesystem::path target = Resolved(path);
#ifdef _WIN32
    std::error_code error;
    if (std::filesystem::is_directory(target, error))
        throw FileSaveError(SaveMessage(target, EISDIR));
    if (!std::filesystem::is_directory(FolderOf(target), error))
        throw FileSaveError(SaveMessage(target, ENOENT));
#else
    struct stat file {};
    const bool exists = ::stat(target.c_str(), &file) == 0;
    if (exists && S_ISDIR(file.st_mode))
        throw FileSaveError(SaveMessage(target, EISDIR));
    struct stat folder {};
    if (::stat(FolderOf(target).c_str(), &folder) != 0)
        throw FileSaveError(SaveMessage(target, errno));
    if (!S_ISDIR(folder.st_mode))
        throw FileSaveError(SaveMessage(target, ENOTDIR));
    if (::faccessat(AT_FDCWD, FolderOf(target).c_str(), W_OK | X_OK, AT_EACCESS) != 0)
        throw FileSaveError(SaveMessage(target, errno));
    if (exists && StickyKeepsOut(folder, file, false))
        throw FileSaveError(StickyMessage(target));
#endif
}

void SaveWholeFile(const std::filesystem::path& path,
                   const std::function<void(std::ostream&)>& write) {
    CheckCanSave(path);
    if (IsStandardOutput(path)) {
        // What the program printed before comes first.
        std::cout.flush();
        std::fflush(stdout);
        WriteAll(StandardOutput(), path, write);
        return;
    }
#ifndef _WIN32
    if (IsSpecial(path)) {
        // Replacing it with a file would take it away from everyone who uses
        // it (--vcd /dev/null run as root). Opened by its own name, so that
        // the system follows links such as /dev/stdout to a pipe.
        Descriptor device(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
        if (device.get() < 0)
            throw FileSaveError(SaveMessage(path, errno));
        WriteAll(device.get(), path, write);
        if (const int error = device.Close(); error != 0)
            throw FileSaveError(SaveMessage(path, error));
        return;
    }
#endif
    const std::filesystem::path target = Resolved(path);
#ifdef _WIN32
    TemporaryFile file(target, false);
#else
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    TemporaryFile file(target, exists);
#endif
    WriteAll(file.fd(), target, write);
#ifndef _WIN32
    if (exists)
        TakeOwnerAndMode(file.fd(), old);
#endif
    if (const int error = file.Close(); error != 0)
        throw FileSaveError(SaveMessage(target, error));

    std::error_code renamed;
    std::filesystem::rename(file.path(), target, renamed);
    if (renamed) {
#ifndef _WIN32
        struct stat folder {};
        if (exists && ::stat(FolderOf(target).c_str(), &folder) == 0 &&
            StickyKeepsOut(folder, old, true))
            throw FileSaveError(StickyMessage(target));
#endif
        throw FileSaveError(SaveMessage(target, renamed.default_error_condition().value()));
    }
    file.Keep();
#ifndef _WIN32
    // The rename itself reaches the disk with the folder's entry.
    if (const int folder = ::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#endif
}

} // namespace portprov
