// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <streambuf>
#include <string>

// Writing a file through its descriptor, alike on Linux and Windows, for the
// saving of whole files (WholeFile).
namespace portprov::file_output {

// A new file at path, none there before, no link followed (O_EXCL,
// O_NOFOLLOW): a file or link someone put at the name is never written
// through. privately: readable by the owner only, else as the umask allows.
// The descriptor, or -1 with errno.
int OpenNewFile(const std::filesystem::path& path, bool privately);
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
    int get() const { return fd_; }
    void reset(int fd) { fd_ = fd; }
    // Closes the file; the error number, or 0.
    int Close();

private:
    int fd_;
};

// A stream buffer on a file descriptor that remembers the first failed write.
class FileBuffer : public std::streambuf {
public:
    explicit FileBuffer(int fd) : fd_(fd) { setp(buffer_.data(), buffer_.data() + buffer_.size()); }
    int error() const { return error_; }

protected:
    int_type overflow(int_type ch) override;
    int sync() override { return Drain() ? 0 : -1; }

private:
    bool Drain();

    int fd_;
    int error_ = 0;
    std::array<char, 65536> buffer_{};
};

} // namespace portprov::file_output
