// SPDX-License-Identifier: MIT
#include "recording/SaveTarget.h"

#include "recording/SaveMessages.h"
#include "recording/WholeFile.h"

#include <cerrno>
#include <deque>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/vfs.h>
#include <unistd.h>
#endif

namespace portprov {

namespace {

using namespace save_messages;
using file_output::Descriptor;

// As the kernel: more links than this on one path go round in a ring.
constexpr int kMostLinks = 40;

#ifndef _WIN32

#ifdef O_PATH
// Needs no right to read the folder, only to pass through the path.
constexpr int kFolderFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

// The file system of /proc, whose links to open files lead to what the
// process holds, pipes and terminals included, not to a name.
constexpr long kProcFileSystem = 0x9fa0;

// Whether the kernel, with fs.protected_symlinks set, follows a link for us:
// in a folder that anyone may write in and only owners may clear, only our
// own links and the folder owner's.
bool MayFollow(const struct stat& folder, const struct stat& link) {
    const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
    return !shared || link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

bool OnProc(int folder) {
    struct statfs info {};
    return ::fstatfs(folder, &info) == 0 && static_cast<long>(info.f_type) == kProcFileSystem;
}

std::string ReadLink(int folder, const std::string& name, const std::filesystem::path& shown) {
    std::vector<char> text(256);
    for (;;) {
        const ssize_t got = ::readlinkat(folder, name.c_str(), text.data(), text.size());
        if (got < 0)
            throw FileSaveError(SaveMessage(shown, errno));
        if (static_cast<std::size_t>(got) < text.size())
            return std::string(text.data(), static_cast<std::size_t>(got));
        text.resize(text.size() * 2);
    }
}

int OpenFolder(int at, const char* name) {
    return ::openat(at, name, kFolderFlags | O_NOFOLLOW);
}

// The end of a path: the folder open, the last name in it, and whether that
// name was reached through a link or is one of the kernel's in /proc.
struct Walked {
    Descriptor folder;
    std::filesystem::path shown; // the folder's path, for messages
    std::string name;
    bool throughLink = false;
    bool kernelLink = false;
};

// Walks the path one name at a time, each folder opened by descriptor and
// each link read and checked by us: the kernel would follow a link it meets
// on the way with no regard to its owner where fs.protected_symlinks is off.
Walked Walk(const std::filesystem::path& path) {
    std::deque<std::string> rest;
    for (const std::filesystem::path& part : path.relative_path())
        rest.push_back(part.native());
    Walked at{Descriptor(::open(path.is_absolute() ? "/" : ".", kFolderFlags)),
              path.is_absolute() ? path.root_path() : std::filesystem::path(),
              {}};
    int links = 0;
    while (!rest.empty()) {
        const std::string part = rest.front();
        rest.pop_front();
        const bool last = rest.empty();
        const auto shownFrom = [&] {
            std::filesystem::path whole = at.shown / part;
            for (const std::string& next : rest)
                whole /= next;
            return whole;
        };
        if (at.folder.get() < 0)
            throw FileSaveError(SaveMessage(shownFrom(), errno));
        if (part.empty() || part == "." || part == "..") {
            if (last)
                throw FileSaveError(SaveMessage(shownFrom(), EISDIR));
            if (part == "..")
                at.folder.reset(OpenFolder(at.folder.get(), ".."));
            at.shown /= part;
            continue;
        }
        struct stat info {};
        if (::fstatat(at.folder.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            if (last && errno == ENOENT)
                return {std::move(at.folder), at.shown, part, at.throughLink, false};
            throw FileSaveError(SaveMessage(shownFrom(), errno));
        }
        if (S_ISLNK(info.st_mode)) {
            struct stat folder {};
            ::fstat(at.folder.get(), &folder);
            if (!MayFollow(folder, info))
                throw FileSaveError(ForeignLinkMessage(at.shown / part));
            struct stat end {};
            if (last && OnProc(at.folder.get()) &&
                ::fstatat(at.folder.get(), part.c_str(), &end, 0) == 0 && !S_ISREG(end.st_mode))
                return {std::move(at.folder), at.shown, part, true, true};
            if (++links > kMostLinks)
                throw FileSaveError(SaveMessage(shownFrom(), ELOOP));
            const std::filesystem::path text = ReadLink(at.folder.get(), part, shownFrom());
            if (text.is_absolute()) {
                at.folder.reset(::open("/", kFolderFlags));
                at.shown = text.root_path();
            }
            const std::filesystem::path inside = text.relative_path();
            for (auto it = inside.end(); it != inside.begin();)
                rest.push_front((--it)->native());
            at.throughLink = at.throughLink || last;
            if (rest.empty())
                throw FileSaveError(SaveMessage(shownFrom(), ENOENT));
            continue;
        }
        if (last)
            return {std::move(at.folder), at.shown, part, at.throughLink, false};
        if (!S_ISDIR(info.st_mode))
            throw FileSaveError(SaveMessage(shownFrom(), ENOTDIR));
        at.folder.reset(OpenFolder(at.folder.get(), part.c_str()));
        at.shown /= part;
    }
    throw FileSaveError(SaveMessage(path, EISDIR));
}

#else

// The file that a path names at the end of its symbolic links: saving goes
// there, so that a link stays a link.
std::filesystem::path Resolved(std::filesystem::path path) {
    for (int hop = 0; hop < kMostLinks; ++hop) {
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

#endif

} // namespace

#ifndef _WIN32
bool StickyKeepsOut(const struct stat& folder, const struct stat& file, bool evenRoot) {
    const uid_t me = ::geteuid();
    return (folder.st_mode & S_ISVTX) != 0 && file.st_uid != me && folder.st_uid != me &&
           (evenRoot || me != 0);
}
#endif

file_output::FolderHandle SaveTarget::folder() const {
#ifdef _WIN32
    return folder_;
#else
    return folder_.get();
#endif
}

bool SaveTarget::sameAs(const SaveTarget& other) const {
    if (kind_ != other.kind_)
        return false;
    if (kind_ == Kind::StandardOutput)
        return true;
#ifdef _WIN32
    std::error_code error;
    return std::filesystem::equivalent(folder_, other.folder_, error) && name_ == other.name_;
#else
    if (kind_ == Kind::Special)
        return found_.st_dev == other.found_.st_dev && found_.st_ino == other.found_.st_ino;
    struct stat mine {}, theirs {};
    return ::fstat(folder_.get(), &mine) == 0 && ::fstat(other.folder_.get(), &theirs) == 0 &&
           mine.st_dev == theirs.st_dev && mine.st_ino == theirs.st_ino && name_ == other.name_;
#endif
}

SaveTarget SaveTarget::Check(const std::filesystem::path& path) {
    if (path.empty())
        throw FileSaveError("Kan inte spara: ange ett filnamn.");
    SaveTarget target;
    target.shown_ = path;
    if (IsStandardOutput(path))
        return target;
    target.kind_ = Kind::File;
#ifdef _WIN32
    target.shown_ = Resolved(path);
    target.folder_ = FolderOf(target.shown_);
    target.name_ = target.shown_.filename();
    std::error_code error;
    if (std::filesystem::is_directory(target.shown_, error) || target.name_.empty())
        throw FileSaveError(SaveMessage(target.shown_, EISDIR));
    if (!std::filesystem::is_directory(target.folder_, error))
        throw FileSaveError(SaveMessage(target.shown_, ENOENT));
    target.existed_ = std::filesystem::exists(target.shown_, error);
#else
    Walked walked = Walk(path);
    target.folder_ = std::move(walked.folder);
    target.name_ = walked.name;
    target.shown_ = walked.shown / walked.name;
    target.kernelLink_ = walked.kernelLink;
    const int folder = target.folder_.get();
    const bool exists = ::fstatat(folder, walked.name.c_str(), &target.found_,
                                  walked.kernelLink ? 0 : AT_SYMLINK_NOFOLLOW) == 0;
    const mode_t type = target.found_.st_mode & S_IFMT;
    if (exists && type == S_IFDIR)
        throw FileSaveError(SaveMessage(target.shown_, EISDIR));
    // A recording written over a disk's first sectors would be a disaster
    // however it was asked for; a device behind a link someone else may have
    // put there is not what the user named.
    if (exists && type == S_IFBLK && !walked.kernelLink)
        throw FileSaveError(DeviceMessage(path, true));
    if (exists && type == S_IFCHR && walked.throughLink && !walked.kernelLink)
        throw FileSaveError(DeviceMessage(path, false));
    // A socket cannot be opened as a file: found now, not after the recording.
    if (exists && type == S_IFSOCK)
        throw FileSaveError(SaveMessage(path, ENXIO));
    if (exists && type != S_IFREG) {
        target.kind_ = Kind::Special;
        // The name is no link here, or one of the kernel's: following it is safe.
        if (::faccessat(folder, walked.name.c_str(), W_OK, AT_EACCESS) != 0)
            throw FileSaveError("Kan inte spara " + Shown(path) + ": den får inte skrivas till.");
        return target;
    }
    target.existed_ = exists;
    struct stat info {};
    if (::fstat(folder, &info) != 0)
        throw FileSaveError(SaveMessage(target.shown_, errno));
    if (::faccessat(folder, ".", W_OK | X_OK, AT_EACCESS) != 0)
        throw FileSaveError(SaveMessage(target.shown_, errno));
    if (exists && StickyKeepsOut(info, target.found_, false))
        throw FileSaveError(StickyMessage(target.shown_));
#endif
    return target;
}

} // namespace portprov
