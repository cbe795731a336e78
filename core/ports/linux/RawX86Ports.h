// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"
#include "ports/linux/PortLocks.h"

#include <memory>
#include <string>
#include <utility>

namespace portprov {

// Raw port access on x86 processors: the kernel grants the ports with ioperm
// (below 0x400) or iopl (above), then the in and out instructions reach them
// directly. Needs root or the capability CAP_SYS_RAWIO, and is refused by a
// locked-down kernel. On other processors every access throws PortError.
//
// The kernel grants port access per thread, so each thread asks for it on its
// own first access.
//
// locks: keeps a second program on the same port from coming between this
// one's accesses (PortLocks); none, nothing is locked.
class RawX86Ports : public PortBackend {
public:
    explicit RawX86Ports(std::shared_ptr<PortLocks> locks = nullptr) : locks_(std::move(locks)) {}

    // Asks for the ports below 0x400 and gives them back at once, touching no
    // port: 0 when the kernel grants them, else the errno (ENOSYS on
    // processors without port instructions).
    static int ProbeAccess();
    // Gives back every port this thread was granted here. The kernel hands a
    // thread's port permissions on to the programs it starts, unprivileged
    // ones included, and keeps them across exec: release them before starting
    // one. The next access asks for them again.
    static void ReleaseThreadGrant();

    std::uint8_t read(std::uint16_t port) override;
    void write(std::uint16_t port, std::uint8_t value) override;
    std::string describe() const override;
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port) override;
    // The bare in instruction: the calling thread is granted the ports here,
    // and the sequence's hold keeps the lock of their units.
    HeldReader heldReader(std::span<const std::uint16_t> ports) override;
    HeldWriter heldWriter(std::span<const std::uint16_t> ports) override;

private:
    void grant(std::uint16_t port) const;

    std::shared_ptr<PortLocks> locks_;
};

} // namespace portprov
