#include "DevPortFile.h"

#include "HardwareMessages.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace portprov {

namespace msg = hardware_messages;

namespace {

int OpenReadWrite(const std::string& path) {
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::string ShortTransfer() {
    return "porten finns inte i enheten";
}

} // namespace

DevPortFile::DevPortFile(std::string path, std::string programPath) : path_(std::move(path)) {
    fd_ = OpenReadWrite(path_);
    if (fd_ < 0) {
        const int error = errno;
        throw PortError(msg::DevPortOpenFailed(
            path_, error, programPath.empty() ? msg::OwnProgramPath() : programPath));
    }
}

DevPortFile::~DevPortFile() {
    ::close(fd_);
}

int DevPortFile::ProbeAccess(const std::string& path) {
    const int fd = OpenReadWrite(path);
    if (fd < 0) {
        return errno;
    }
    ::close(fd);
    return 0;
}

std::uint8_t DevPortFile::read(std::uint16_t port) {
    unsigned char byte = 0;
    ssize_t done = -1;
    do {
        done = ::pread(fd_, &byte, 1, static_cast<off_t>(port));
    } while (done < 0 && errno == EINTR);
    if (done != 1) {
        throw PortError(msg::DevPortAccessFailed(
            path_, false, port, done < 0 ? msg::ErrorText(errno) : ShortTransfer()));
    }
    return byte;
}

void DevPortFile::write(std::uint16_t port, std::uint8_t value) {
    const unsigned char byte = value;
    ssize_t done = -1;
    do {
        done = ::pwrite(fd_, &byte, 1, static_cast<off_t>(port));
    } while (done < 0 && errno == EINTR);
    if (done != 1) {
        throw PortError(msg::DevPortAccessFailed(
            path_, true, port, done < 0 ? msg::ErrorText(errno) : ShortTransfer()));
    }
}

std::string DevPortFile::describe() const {
    return path_;
}

} // namespace portprov
