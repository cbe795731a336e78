// SPDX-License-Identifier: MIT
#include "ports/linux/PortLocks.h"

#include "connector/GamePort.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/linux/LinuxMessages.h"
#include "ports/linux/ParallelPortDiscovery.h"
#include "ports/linux/RetryOnInterrupt.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace portprov {

namespace msg = linux_messages;

namespace {

// Readable by all, so that the programs of other users can take it shared.
constexpr mode_t kLockFileMode = 0644;
constexpr std::chrono::milliseconds kRetryPause{10};

int Flock(int fd, int operation) {
    return RetryOnInterrupt([&] { return ::flock(fd, operation); });
}

} // namespace

struct PortLocks::Unit {
    std::uint16_t first;
    std::uint16_t last;
    std::string path;
    int fd = -1;
    bool opened = false;
    int sequences = 0; // this process's holds

    Unit(std::uint16_t from, std::uint16_t to, const std::string& folder)
        : first(from), last(to), path(folder + "/portprov-" + std::to_string(from) + ".lock") {}
    ~Unit() {
        if (fd >= 0)
            ::close(fd);
    }
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    // The lock file, opened (and created) on first use; -1 when it cannot be.
    int file() {
        if (!opened) {
            opened = true;
            // Created only when missing: in a sticky folder such as /run/lock
            // the kernel may refuse O_CREAT on a file another user made
            // (fs.protected_regular), though opening it is allowed.
            const auto open = [&](int create) {
                return RetryOnInterrupt([&] {
                    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | create,
                                  kLockFileMode);
                });
            };
            fd = open(0);
            if (fd < 0 && errno == ENOENT)
                fd = open(O_CREAT);
            // The umask may have taken the others' read permission. On a file
            // another user made this fails, and that user's mode stands.
            if (fd >= 0)
                static_cast<void>(::fchmod(fd, kLockFileMode));
        }
        return fd;
    }

    std::string busy(std::chrono::milliseconds waited) const {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(waited);
        return msg::PortInUseByTest(first, last, static_cast<int>(seconds.count()));
    }
};

namespace {

class SequenceHold : public PortHold {
public:
    explicit SequenceHold(std::shared_ptr<PortLocks::Unit> unit) : unit_(std::move(unit)) {
        ++unit_->sequences;
    }
    ~SequenceHold() override {
        if (--unit_->sequences == 0)
            Flock(unit_->fd, LOCK_UN);
    }
    SequenceHold(const SequenceHold&) = delete;
    SequenceHold& operator=(const SequenceHold&) = delete;

private:
    std::shared_ptr<PortLocks::Unit> unit_;
};

} // namespace

PortLocks::PortLocks(std::string folder, const std::vector<std::uint16_t>& parallelBases,
                     std::chrono::milliseconds sequenceWait)
    : sequenceWait_(sequenceWait) {
    // The game port is one unit: a recording of it reads the whole range.
    units_.push_back(std::make_shared<Unit>(kGamePortFirst, kGamePortLast, folder));
    for (const std::uint16_t base : parallelBases) {
        if (base > 65535 - kControlOffset || unitOf(base) != nullptr)
            continue;
        units_.push_back(std::make_shared<Unit>(
            base, static_cast<std::uint16_t>(base + kControlOffset), folder));
    }
}

std::shared_ptr<PortLocks::Unit> PortLocks::unitOf(std::uint16_t port) const {
    for (const auto& unit : units_) {
        if (port >= unit->first && port <= unit->last)
            return unit;
    }
    return nullptr;
}

PortLocks::Access::~Access() {
    if (fd_ >= 0)
        Flock(fd_, LOCK_UN);
}

PortLocks::Access PortLocks::forAccess(std::uint16_t port) {
    // Looked up without sharing the unit: every access of a recording comes
    // by here, and a shared pointer's count would cost each one.
    const auto found = std::find_if(units_.begin(), units_.end(), [port](const auto& unit) {
        return port >= unit->first && port <= unit->last;
    });
    Unit* unit = found == units_.end() ? nullptr : found->get();
    if (!unit || unit->sequences > 0)
        return {};
    const int fd = unit->file();
    if (fd < 0)
        return {};
    if (Flock(fd, LOCK_SH | LOCK_NB) == 0)
        return Access(fd);
    if (errno == EWOULDBLOCK)
        throw PortError(PortErrorKind::Busy, unit->busy(std::chrono::milliseconds::zero()));
    return {}; // a file system that cannot lock: the port stays reachable
}

std::unique_ptr<PortHold> PortLocks::holdForSequence(std::uint16_t port) {
    auto unit = unitOf(port);
    if (!unit)
        return nullptr;
    if (unit->sequences == 0) {
        const int fd = unit->file();
        if (fd < 0)
            return nullptr;
        const auto deadline = std::chrono::steady_clock::now() + sequenceWait_;
        while (Flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno != EWOULDBLOCK)
                return nullptr;
            if (std::chrono::steady_clock::now() >= deadline)
                throw PortError(PortErrorKind::Busy, unit->busy(sequenceWait_));
            std::this_thread::sleep_for(kRetryPause);
        }
    }
    return std::make_unique<SequenceHold>(std::move(unit));
}

std::shared_ptr<PortLocks> SystemPortLocks() {
    std::vector<std::uint16_t> bases(kUsualParallelBases.begin(), kUsualParallelBases.end());
    for (const ParallelPortNode& port : FindParallelPorts())
        bases.push_back(port.base);
    return std::make_shared<PortLocks>(kPortLockFolder, bases);
}

} // namespace portprov
