// SPDX-License-Identifier: MIT
#include "ports/linux/PortLocks.h"

#include "connector/GamePort.h"
#include "ports/ParallelPortRegisters.h"
#include "ports/ParallelPorts.h"
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
    std::string fault; // why the lock file cannot be used; empty when it can
    int sequences = 0; // this process's holds

    Unit(std::uint16_t from, std::uint16_t to, const std::string& folder)
        : first(from), last(to), path(folder + "/portprov-" + std::to_string(from) + ".lock") {}
    ~Unit() {
        if (fd >= 0)
            ::close(fd);
    }
    Unit(const Unit&) = delete;
    Unit& operator=(const Unit&) = delete;

    // The lock file, opened (and created) on first use; -1 when it cannot be,
    // with what is wrong with it in fault (none when the folder is missing).
    int file() {
        if (!opened) {
            opened = true;
            open();
        }
        return fd;
    }

    // Once more, for a sequence after a failure: the user may have mended
    // the file as the message asked.
    int fileAgain() {
        if (fd < 0)
            opened = false;
        return file();
    }

    void open();

    std::string busy(std::chrono::milliseconds waited) const {
        const auto seconds = std::chrono::ceil<std::chrono::seconds>(waited);
        return msg::PortInUseByTest(first, last, static_cast<int>(seconds.count()));
    }
};

void PortLocks::Unit::open() {
    fault.clear();
    // Without waiting: a FIFO planted here would hold the open until a writer
    // came. Never through a symbolic link: a link planted here would steer
    // the lock onto a file of its planter's choosing. Never as the
    // controlling terminal, should a terminal's device be planted here.
    constexpr int kFlags = O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY;
    // Created only when missing: in a sticky folder such as /run/lock the
    // kernel may refuse O_CREAT on a file another user made
    // (fs.protected_regular), though opening it is allowed.
    const auto openWith = [&](int create) {
        return RetryOnInterrupt(
            [&] { return ::open(path.c_str(), kFlags | create, kLockFileMode); });
    };
    bool creating = false;
    int file = openWith(0);
    if (file < 0 && errno == ENOENT) {
        creating = true;
        file = openWith(O_CREAT | O_EXCL);
        if (file < 0 && errno == EEXIST) { // another program made it meanwhile
            creating = false;
            file = openWith(0);
        }
    }
    const int error = errno;
    if (file < 0) {
        if (error == ELOOP)
            fault = msg::LockFileIsLink(path);
        else if ((error == EACCES || error == EPERM) && !creating)
            fault = msg::LockFileUnreadable(path);
        else if (error != ENOENT) // ENOENT even with O_CREAT: no such folder
            fault = msg::LockFileFailed(path, error);
        return;
    }
    struct stat status {};
    if (::fstat(file, &status) != 0 || !S_ISREG(status.st_mode)) {
        fault = msg::LockFileNotAFile(path, status.st_mode & S_IFMT);
        ::close(file);
        return;
    }
    // The umask may have taken the others' read permission. Only the file
    // made just now: one found here keeps its mode, for it may be another
    // user's, or another name of some file of root's.
    if (creating)
        static_cast<void>(::fchmod(file, kLockFileMode));
    fd = file;
}

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
        const int fd = unit->fileAgain();
        // NotPermitted: the system's state, which an administrator mends,
        // keeps the sequence from starting; no access failed, and no other
        // program holds the port.
        if (fd < 0 && !unit->fault.empty())
            throw PortError(PortErrorKind::NotPermitted, unit->fault);
        if (fd < 0)
            return nullptr; // no lock folder on this machine: see the header
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
    std::vector<std::uint16_t> reported;
    for (const ParallelPortNode& port : FindParallelPorts())
        reported.push_back(port.base);
    return std::make_shared<PortLocks>(kPortLockFolder, KnownParallelBases(reported));
}

} // namespace portprov
