// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <streambuf>
#include <string>

// Writing a file through its descriptor, alike on Linux and Windows, for the
// saving of whole files (WholeFile).
namespace portprov::file_output {

// A folder files are saved in: on Linux its descriptor, kept open from the
// check before the work to the saving after it, so that a link put in the
// path meanwhile leads nowhere; on Windows its path.
#ifdef _WIN32
using FolderHandle = std::filesystem::path;
#else
using FolderHandle = int;
#endif

// A new file named name in folder, none there before, no link followed
// (O_EXCL, O_NOFOLLOW): a file or link someone put at the name is never
// written through. privately: readable by the owner only, else as the umask
// allows. The descriptor, or -1 with errno.
int OpenNewFile(const FolderHandle& folder, const std::filesystem::path& name, bool privately);
// Removes the name from folder, or renames from over to there; 0, or the
// error number.
int RemoveFile(const FolderHandle& folder, const std::filesystem::path& name);
int RenameFile(const FolderHandle& folder, const std::filesystem::path& from,
               const std::filesystem::path& to);
long WriteSome(int fd, const char* data, std::size_t size);
int SyncFile(int fd);
int CloseFile(int fd);
// The descriptor of standard output, set to take bytes as they are.
int StandardOutput();

// A part of a name no one can guess, from the system's source of randomness:
// 18 hexadecimal digits.
std::string RandomName();

// A file descriptor, closed at the end unless closed before.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor();
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
    Descriptor& operator=(Descriptor&& other) noexcept;
    int get() const { return fd_; }
    // Closes the one held before.
    void reset(int fd);
    int release() noexcept {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }
    // Closes the file; the error number, or 0.
    int Close();

private:
    int fd_;
};

// A stream buffer on a file descriptor that remembers the first failed write.
// A write cut short by a signal carries on, unless stopped then says that
// the saving is to end: it then fails with EINTR.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(int fd, std::function<bool()> stopped = {})
        : fd_(fd), stopped_(std::move(stopped)) {
        setp(buffer_.data(), buffer_.data() + buffer_.size());
    }
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain();

    int fd_;
    std::function<bool()> stopped_;
    int error_ = 0;
    std::array<char, 65536> buffer_{};
};

} // namespace portprov::file_output
