// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/PortLocks.h"

#include <memory>
#include <string>

namespace portprov {

inline constexpr const char* kDevPortPath = "/dev/port";

// Port access through the kernel's /dev/port: one byte read or written at
// offset = port. Needs root (or CAP_SYS_RAWIO and read-write permission on
// the device). The path can be any file, so tests use an ordinary 64 KiB file.
// locks: keeps a second program on the same port from coming between this
// one's accesses (PortLocks); none, nothing is locked.
class DevPortFile : public PortBackend {
public:
    // Opens path read-write; throws PortError with cause and remedy.
    explicit DevPortFile(std::string path = kDevPortPath,
                         std::shared_ptr<PortLocks> locks = nullptr);
    ~DevPortFile() override;
    DevPortFile(const DevPortFile&) = delete;
    DevPortFile& operator=(const DevPortFile&) = delete;

    // Opens /dev/port read-write and closes it again: 0, else the errno.
    static int ProbeAccess(const std::string& path = kDevPortPath);

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override;
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override;
    // pread on the open device alone: the sequence's hold keeps the locks.
    HeldReader heldReader(std::span<const std::uint16_t> ports) override;
    HeldWriter heldWriter(std::span<const std::uint16_t> ports) override;

private:
    std::uint8_t readByte(std::uint16_t port) const;
    void writeByte(std::uint16_t port, std::uint8_t value) const;

    std::string path_;
    std::shared_ptr<PortLocks> locks_;
    int fd_ = -1;
};

} // namespace portprov
