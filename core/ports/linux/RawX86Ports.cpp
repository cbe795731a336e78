// SPDX-License-Identifier: MIT
#include "ports/linux/RawX86Ports.h"

#include "ports/linux/LinuxMessages.h"
#include "ports/linux/ProgramPath.h"

#include <bitset>
#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#define PORTPROV_HAS_PORT_INSTRUCTIONS 1
#include <sys/io.h>
#else
#define PORTPROV_HAS_PORT_INSTRUCTIONS 0
#endif

namespace portprov {

namespace msg = linux_messages;

namespace {

// ioperm covers the ports below this; above it the whole range needs iopl.
constexpr unsigned kIopermLimit = 0x400;
constexpr int kIoplAllPorts = 3;

#if PORTPROV_HAS_PORT_INSTRUCTIONS
// The ports this thread has been granted.
struct ThreadGrant {
    bool low = false;
    bool all = false;
    std::bitset<65536> single; // high ports granted one by one through ioperm
};
thread_local ThreadGrant tGrant;
#endif

} // namespace

int RawX86Ports::ProbeAccess() {
#if PORTPROV_HAS_PORT_INSTRUCTIONS
    if (::ioperm(0, kIopermLimit, 1) != 0) {
        return errno;
    }
    // Give back what the probe took unless this thread already held it.
    if (!tGrant.low && !tGrant.all) {
        ::ioperm(0, kIopermLimit, 0);
    }
    return 0;
#else
    return ENOSYS;
#endif
}

void RawX86Ports::ReleaseThreadGrant() {
#if PORTPROV_HAS_PORT_INSTRUCTIONS
    ThreadGrant& granted = tGrant;
    if (granted.all) {
        ::iopl(0);
    }
    if (granted.low) {
        ::ioperm(0, kIopermLimit, 0);
    }
    if (granted.single.any()) {
        for (unsigned port = kIopermLimit; port < granted.single.size(); ++port) {
            if (granted.single.test(port)) {
                ::ioperm(port, 1, 0);
            }
        }
    }
    granted = ThreadGrant{};
#endif
}

void RawX86Ports::grant(std::uint16_t port) const {
#if PORTPROV_HAS_PORT_INSTRUCTIONS
    ThreadGrant& granted = tGrant;
    if (granted.all || (port < kIopermLimit ? granted.low : granted.single.test(port))) {
        return;
    }
    int error = 0;
    if (port < kIopermLimit) {
        if (::ioperm(0, kIopermLimit, 1) == 0) {
            granted.low = true;
            return;
        }
        error = errno;
    } else {
        if (::iopl(kIoplAllPorts) == 0) {
            granted.all = true;
            return;
        }
        // Kernels built without iopl still grant single high ports through ioperm.
        if (::ioperm(port, 1, 1) == 0) {
            granted.single.set(port);
            return;
        }
        error = errno;
    }
    if (error == EPERM || error == EACCES) {
        throw PortError(PortErrorKind::NotPermitted, msg::NotPermitted(HelperProgramPath()));
    }
    throw PortError(
        PortErrorKind::FailedAccess,
        msg::RawAccessFailed(msg::ErrorText(error), "används inte", HelperProgramPath()));
#else
    (void)port;
    throw PortError(PortErrorKind::Missing, msg::RawAccessUnavailable());
#endif
}

std::uint8_t RawX86Ports::read(std::uint16_t port) {
    const auto access = LockForAccess(locks_, port);
    grant(port);
#if PORTPROV_HAS_PORT_INSTRUCTIONS
    return ::inb(port);
#else
    return 0;
#endif
}

void RawX86Ports::write(std::uint16_t port, std::uint8_t value) {
    const auto access = LockForAccess(locks_, port);
    grant(port);
#if PORTPROV_HAS_PORT_INSTRUCTIONS
    ::outb(value, port);
#else
    (void)value;
#endif
}

std::string RawX86Ports::describe() const {
    return msg::kRawAccessDescription;
}

std::unique_ptr<PortHold> RawX86Ports::holdForSequence(std::uint16_t port) {
    return locks_ ? locks_->holdForSequence(port) : nullptr;
}

HeldReader RawX86Ports::heldReader(std::span<const std::uint16_t> ports) {
    for (const std::uint16_t port : ports)
        grant(port);
#if PORTPROV_HELD_IN_INSTRUCTION
    return HeldReader::InInstruction();
#else
    return PortBackend::heldReader(ports); // never: grant() refuses without the instructions
#endif
}

HeldWriter RawX86Ports::heldWriter(std::span<const std::uint16_t> ports) {
    for (const std::uint16_t port : ports)
        grant(port);
#if PORTPROV_HELD_IN_INSTRUCTION
    return HeldWriter::OutInstruction();
#else
    return PortBackend::heldWriter(ports); // never: grant() refuses without the instructions
#endif
}

} // namespace portprov
