// SPDX-License-Identifier: MIT
#include "ports/linux/DevPortFile.h"

#include "ports/linux/LinuxMessages.h"
#include "ports/linux/ProgramPath.h"
#include "ports/linux/RetryOnInterrupt.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/types.h>
#include <unistd.h>
#include <utility>

namespace portprov {

namespace msg = linux_messages;

namespace {

int OpenReadWrite(const std::string& path) {
    return RetryOnInterrupt([&] { return ::open(path.c_str(), O_RDWR | O_CLOEXEC); });
}

// Opening fails for want of the device, of permission, or otherwise.
PortErrorKind DevPortOpenFailureKind(int error) {
    if (error == ENOENT)
        return PortErrorKind::Missing;
    if (error == EACCES || error == EPERM)
        return PortErrorKind::NotPermitted;
    return PortErrorKind::FailedAccess;
}

// A transfer of one byte that did not move it becomes the user's message.
void CheckTransfer(ssize_t done, const std::string& path, bool writing, std::uint16_t port) {
    if (done != 1) {
        throw PortError(PortErrorKind::FailedAccess,
                        msg::DevPortAccessFailed(path, writing, port,
                                                 done < 0 ? msg::ErrorText(errno)
                                                          : "porten finns inte i enheten"));
    }
}

} // namespace

DevPortFile::DevPortFile(std::string path, std::shared_ptr<PortLocks> locks)
    : path_(std::move(path)), locks_(std::move(locks)) {
    fd_ = OpenReadWrite(path_);
    if (fd_ < 0) {
        const int error = errno;
        throw PortError(DevPortOpenFailureKind(error),
                        msg::DevPortOpenFailed(path_, error, HelperProgramPath()));
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
    const auto access = LockForAccess(locks_, port);
    return readByte(port);
}

std::uint8_t DevPortFile::readByte(std::uint16_t port) const {
    unsigned char byte = 0;
    CheckTransfer(
        RetryOnInterrupt([&] { return ::pread(fd_, &byte, 1, static_cast<off_t>(port)); }), path_,
        false, port);
    return byte;
}

void DevPortFile::write(std::uint16_t port, std::uint8_t value) {
    const auto access = LockForAccess(locks_, port);
    writeByte(port, value);
}

void DevPortFile::writeByte(std::uint16_t port, std::uint8_t value) const {
    const unsigned char byte = value;
    CheckTransfer(
        RetryOnInterrupt([&] { return ::pwrite(fd_, &byte, 1, static_cast<off_t>(port)); }), path_,
        true, port);
}

std::string DevPortFile::describe() const {
    return path_;
}

std::unique_ptr<PortHold> DevPortFile::holdForSequence(std::uint16_t port) {
    return locks_ ? locks_->holdForSequence(port) : nullptr;
}

HeldReader DevPortFile::heldReader(std::span<const std::uint16_t> /*ports*/) {
    return {[](void* file, std::uint16_t port) {
                return static_cast<const DevPortFile*>(file)->readByte(port);
            },
            this};
}

HeldWriter DevPortFile::heldWriter(std::span<const std::uint16_t> /*ports*/) {
    return {[](void* file, std::uint16_t port, std::uint8_t value) {
                static_cast<const DevPortFile*>(file)->writeByte(port, value);
            },
            this};
}

} // namespace portprov
