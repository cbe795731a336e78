// SPDX-License-Identifier: MIT
#include "recording/WholeFile.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <streambuf>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace portprov {

namespace {

#ifdef _WIN32
int OpenNewFile(const std::filesystem::path& path) {
    return ::_wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
}
long WriteSome(int fd, const char* data, std::size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(size));
}
int SyncFile(int fd) {
    return ::_commit(fd);
}
int CloseFile(int fd) {
    return ::_close(fd);
}
int ProcessId() {
    return ::_getpid();
}
#else
int OpenNewFile(const std::filesystem::path& path) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}
long WriteSome(int fd, const char* data, std::size_t size) {
    return ::write(fd, data, size);
}
int SyncFile(int fd) {
    return ::fsync(fd);
}
int CloseFile(int fd) {
    return ::close(fd);
}
int ProcessId() {
    return static_cast<int>(::getpid());
}
#endif

std::string Shown(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::filesystem::path FolderOf(const std::filesystem::path& path) {
    return path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
}

// The user's message for a system error met while saving path.
std::string SaveMessage(const std::filesystem::path& path, int error) {
    const std::string start = "Kan inte spara " + Shown(path) + ": ";
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
    default:
        return start + std::strerror(error) + " (felkod " + std::to_string(error) + ").";
    }
}

// A stream buffer on a file descriptor that remembers the first failed write.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override {
        if (!Drain())
            return traits_type::eof();
        if (!traits_type::eq_int_type(ch, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(ch);
            pbump(1);
        }
        return traits_type::not_eof(ch);
    }
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain() {
        if (error_ != 0)
            return false;
        const char* next = pbase();
        while (next < pptr()) {
            const long written = WriteSome(fd_, next, static_cast<std::size_t>(pptr() - next));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                error_ = written < 0 ? errno : ENOSPC;
                return false;
            }
            next += written;
        }
        setp(buffer_.data(), buffer_.data() + buffer_.size());
        return true;
    }

    int fd_;
    int error_ = 0;
    std::array<char, 65536> buffer_{};
};

// The temporary file: open until closed, removed unless kept.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::filesystem::path& target) {
        // A name of its own in the target's folder, so that the rename stays
        // on one file system; a dot hides it from a file list meanwhile.
        static int counter = 0;
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::filesystem::path name = ".";
            name += target.filename();
            // Piece by piece: GCC 12 at -O3 takes "." + std::string for an
            // overlapping copy (-Wrestrict), which fails the static build.
            name += ".";
            name += std::to_string(ProcessId());
            name += "-";
            name += std::to_string(++counter);
            name += ".tmp";
            path_ = FolderOf(target) / name;
            fd_ = OpenNewFile(path_);
            if (fd_ >= 0 || errno != EEXIST)
                break;
        }
        if (fd_ < 0)
            throw FileSaveError(SaveMessage(target, errno));
    }
    ~TemporaryFile() {
        if (fd_ >= 0)
            CloseFile(fd_);
        if (!kept_) {
            std::error_code ignored;
            std::filesystem::remove(path_, ignored);
        }
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::filesystem::path& path() const { return path_; }
    // Closes the file; the error number, or 0.
    int Close() {
        const int result = CloseFile(fd_);
        fd_ = -1;
        return result == 0 ? 0 : errno;
    }
    void Keep() { kept_ = true; }

private:
    std::filesystem::path path_;
    int fd_ = -1;
    bool kept_ = false;
};

} // namespace

void CheckCanSave(const std::filesystem::path& path) {
    if (path.empty())
        throw FileSaveError("Kan inte spara: ange ett filnamn.");
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw FileSaveError(SaveMessage(path, EISDIR));
    if (!std::filesystem::is_directory(FolderOf(path), error))
        throw FileSaveError(SaveMessage(path, ENOENT));
}

void SaveWholeFile(const std::filesystem::path& path,
                   const std::function<void(std::ostream&)>& write) {
    std::error_code ignored;
    if (std::filesystem::is_directory(path, ignored))
        throw FileSaveError(SaveMessage(path, EISDIR));

    TemporaryFile file(path);
    FileBuffer buffer(file.fd());
    {
        std::ostream stream(&buffer);
        write(stream);
        stream.flush();
    }
    if (buffer.error() != 0)
        throw FileSaveError(SaveMessage(path, buffer.error()));
    // A full disk may show itself only now, when the file system allocates
    // the blocks it had promised.
    if (SyncFile(file.fd()) != 0)
        throw FileSaveError(SaveMessage(path, errno));
    if (const int error = file.Close(); error != 0)
        throw FileSaveError(SaveMessage(path, error));

    std::error_code renamed;
    std::filesystem::rename(file.path(), path, renamed);
    if (renamed)
        throw FileSaveError(SaveMessage(path, renamed.default_error_condition().value()));
    file.Keep();
#ifndef _WIN32
    // The rename itself reaches the disk with the folder's entry.
    if (const int folder = ::open(FolderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
#endif
}

} // namespace portprov
