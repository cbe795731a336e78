// SPDX-License-Identifier: MIT
#include "recording/FileOutput.h"

#include <cerrno>
#include <fcntl.h>
#include <random>

#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/random.h>
#endif
#endif

namespace portprov::file_output {

#ifdef _WIN32
int OpenNewFile(const FolderHandle& folder, const std::filesystem::path& name, bool /*privately*/) {
    return ::_wopen((folder / name).c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY,
                    _S_IREAD | _S_IWRITE);
}
int RemoveFile(const FolderHandle& folder, const std::filesystem::path& name) {
    std::error_code error;
    std::filesystem::remove(folder / name, error);
    return error ? error.default_error_condition().value() : 0;
}
int RenameFile(const FolderHandle& folder, const std::filesystem::path& from,
               const std::filesystem::path& to) {
    std::error_code error;
    std::filesystem::rename(folder / from, folder / to, error);
    return error ? error.default_error_condition().value() : 0;
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
int StandardOutput() {
    ::_setmode(1, _O_BINARY);
    return 1;
}
#else
int OpenNewFile(const FolderHandle& folder, const std::filesystem::path& name, bool privately) {
    return ::openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                    privately ? 0600 : 0666);
}
int RemoveFile(const FolderHandle& folder, const std::filesystem::path& name) {
    return ::unlinkat(folder, name.c_str(), 0) == 0 ? 0 : errno;
}
int RenameFile(const FolderHandle& folder, const std::filesystem::path& from,
               const std::filesystem::path& to) {
    return ::renameat(folder, from.c_str(), folder, to.c_str()) == 0 ? 0 : errno;
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
int StandardOutput() {
    return STDOUT_FILENO;
}
#endif

// A part of a name no one can guess: from the system's source of randomness.
std::string RandomName() {
    std::array<unsigned char, 9> bytes{};
#ifdef __linux__
    if (::getrandom(bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
#endif
    {
        std::random_device device;
        for (unsigned char& byte : bytes)
            byte = static_cast<unsigned char>(device());
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string name;
    for (const unsigned char byte : bytes) {
        name += kDigits[byte >> 4];
        name += kDigits[byte & 0xf];
    }
    return name;
}

Descriptor::~Descriptor() {
    if (fd_ >= 0)
        CloseFile(fd_);
}

Descriptor& Descriptor::operator=(Descriptor&& other) noexcept {
    if (this != &other)
        reset(other.release());
    return *this;
}

void Descriptor::reset(int fd) {
    if (fd_ >= 0 && fd_ != fd)
        CloseFile(fd_);
    fd_ = fd;
}

int Descriptor::Close() {
    if (fd_ < 0)
        return 0;
    const int result = CloseFile(fd_);
    fd_ = -1;
    return result == 0 ? 0 : errno;
}

FileBuffer::int_type FileBuffer::overflow(int_type ch) {
    if (!Drain())
        return traits_type::eof();
    if (!traits_type::eq_int_type(ch, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(ch);
        pbump(1);
    }
    return traits_type::not_eof(ch);
}

bool FileBuffer::Drain() {
    if (error_ != 0)
        return false;
    const char* next = pbase();
    while (next < pptr()) {
        const long written = WriteSome(fd_, next, static_cast<std::size_t>(pptr() - next));
        if (written < 0 && errno == EINTR && !(stopped_ && stopped_()))
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

} // namespace portprov::file_output
