// SPDX-License-Identifier: MIT
#pragma once

#include "ports/PortBackend.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace portprov {

inline constexpr const char* kPortLockFolder = "/run/lock";

// Keeps two programs that reach the ports directly (raw I/O, /dev/port) from
// interleaving their accesses to one port: one advisory lock file per port
// unit, <folder>/portprov-<first port>.lock, taken with flock. A unit is the
// three registers of a parallel port base, or the game port 512 to 519.
//
// A sequence (a loopback test) takes its unit's lock exclusively for its whole
// length; every single access takes it shared for that access only, without
// waiting, and is refused as Busy while another process holds it
// exclusively. flock locks belong to the open file, so this process's own
// accesses inside its own sequence pass without locking. Ports outside every
// unit are not locked.
//
// A lock file that cannot be used (a symbolic link or something other than a
// regular file at its path, a file this user may not read, or one that
// cannot be created) leaves single accesses unlocked, so that the ports stay
// reachable, but refuses every sequence with a message that names the file
// and what is wrong with it: a test whose accesses another program may come
// between would give a wrong verdict. A failure is remembered for accesses
// and looked at again on each sequence. A machine without the lock folder
// at all (some minimal systems have no /run/lock) has no place every copy
// of the program could lock in, and refusing every test there would leave
// it without one: its sequences, too, run unlocked.
//
// One instance per backend, used by one thread at a time (PortIo keeps a
// recording's thread and the window's apart).
class PortLocks {
public:
    // How long a sequence waits for another process to let go of its unit.
    static constexpr std::chrono::milliseconds kSequenceWait{3000};

    // parallelBases: the bases whose registers form a unit each. The folder
    // is injected so that tests lock in a folder of their own.
    PortLocks(std::string folder, const std::vector<std::uint16_t>& parallelBases,
              std::chrono::milliseconds sequenceWait = kSequenceWait);

    // The shared lock of one access, let go when the access is done.
    class Access {
    public:
        Access() = default;
        explicit Access(int fd) : fd_(fd) {}
        Access(Access&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
        Access& operator=(Access&&) = delete;
        ~Access();

    private:
        int fd_ = -1;
    };
    // Throws PortError (Busy) while another process holds port's unit for a sequence.
    [[nodiscard]] Access forAccess(std::uint16_t port);

    // Holds port's unit exclusively until the result goes; nullptr for a port
    // outside every unit or without a lock folder. Throws PortError (Busy)
    // after kSequenceWait, PortError (NotPermitted) when the lock file cannot
    // be used.
    std::unique_ptr<PortHold> holdForSequence(std::uint16_t port);

    struct Unit;

private:
    std::shared_ptr<Unit> unitOf(std::uint16_t port) const;

    std::vector<std::shared_ptr<Unit>> units_;
    std::chrono::milliseconds sequenceWait_;
};

// The locks of the machine's ports in kPortLockFolder: the usual three bases,
// those the kernel reports, and the game port.
std::shared_ptr<PortLocks> SystemPortLocks();

// The access lock for a backend that may have no locks.
inline PortLocks::Access LockForAccess(const std::shared_ptr<PortLocks>& locks,
                                       std::uint16_t port) {
    return locks ? locks->forAccess(port) : PortLocks::Access{};
}

} // namespace portprov
