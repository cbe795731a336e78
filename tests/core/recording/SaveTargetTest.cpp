// SPDX-License-Identifier: MIT
// Where a recording's file goes when the path to it is not to be trusted:
// links of others, devices, a link put there during the recording, a pipe
// no one reads.
#include "TestPaths.h"
#include "process/DeferredTerminationSignals.h"
#include "recording/WholeFile.h"

#include <gtest/gtest.h>

#ifdef __linux__
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

using namespace portprov;
namespace fs = std::filesystem;

namespace {

constexpr uid_t kNobodyUser = 65534;

std::string FileText(const fs::path& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// What went wrong when saving "ny" at path: "" when the check refused it
// with a message holding refusal, or it was saved where refusal is "".
std::string FaultOfSave(const fs::path& path, const std::string& refusal) {
    try {
        CheckCanSave(path); // before the recording, not after it
        if (!refusal.empty())
            return "not refused";
        SaveWholeFile(path, [](std::ostream& out) { out << "ny"; });
        return "";
    } catch (const FileSaveError& e) {
        const bool named =
            !refusal.empty() && std::string(e.what()).find(refusal) != std::string::npos;
        return named ? "" : e.what();
    }
}

class SaveTargetTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_ / "privat");
        fs::permissions(folder_ / "privat", fs::perms(0700));
        std::ofstream(secret_) << "hemlig";
    }
    void TearDown() override { fs::remove_all(folder_); }
    fs::path folder_ = UniqueTestPath("portprov-save-target-");
    fs::path secret_ = folder_ / "privat" / "hemlig.txt";
};

TEST_F(SaveTargetTest, FollowsNoLinkOfAnotherUserIntoAFileOrDevice) {
    const bool root = ::geteuid() == 0;
    const fs::path shared = folder_ / "delad", disk = folder_ / "disk";
    fs::create_directories(shared);
    fs::permissions(shared, fs::perms(01777));
    const bool blockDevice = root && ::mknod(disk.c_str(), S_IFBLK | 0600, ::makedev(7, 0)) == 0;
    const fs::path socket = folder_ / "uttag";
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    socket.native().copy(address.sun_path, sizeof address.sun_path - 1);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const struct {
        fs::path link;
        fs::path to;
        uid_t owner; // of the link: ours, or nobody's (as root only)
        std::string refusal;
    } cases[]{
        {shared / "annans.vcd", secret_, kNobodyUser, "länken tillhör en annan användare"},
        {shared / "egen.vcd", folder_ / "egen-fil.vcd", ::geteuid(), ""},
        {folder_ / "null.vcd", "/dev/null", ::geteuid(), "länken leder till en enhet"},
        {folder_ / "disk.vcd", disk, ::geteuid(), "det är en disk"},
        {disk, "", ::geteuid(), "det är en disk"}, // named itself
        {socket, "", ::geteuid(), "ingen tar emot"},
    };
    for (const auto& c : cases) {
        if ((c.owner != ::geteuid() && !root) || ((c.link == disk || c.to == disk) && !blockDevice))
            continue;
        if (!c.to.empty()) {
            fs::create_symlink(c.to, c.link);
            ASSERT_EQ(::lchown(c.link.c_str(), c.owner, c.owner), 0);
        }
        EXPECT_EQ(FaultOfSave(c.link, c.refusal), "") << c.link;
        if (!c.to.empty()) {
            EXPECT_TRUE(fs::is_symlink(c.link)) << c.link;
        }
    }
    EXPECT_EQ(FileText(secret_), "hemlig");
    EXPECT_EQ(FileText(folder_ / "egen-fil.vcd"), "ny");
    if (blockDevice) {
        EXPECT_TRUE(fs::is_block_file(disk));
    }
    ::close(listening);
}

// A link put at the name after the check, during the recording, is replaced
// by the file, not written through; a replaced set-ID file's bits are not
// carried over to the recording.
TEST_F(SaveTargetTest, SavesWhatWasCheckedAndDropsSetIdBits) {
    const fs::path planted = folder_ / "planterad.vcd", program = folder_ / "program";
    std::ofstream(program) << "gammal";
    fs::permissions(program, fs::perms(04750));
    const struct {
        fs::path path;
        bool plant; // a link to the secret put at the name after the check
        mode_t mode;
    } cases[]{
        {planted, true, 0},
        {program, false, 0750},
    };
    for (const auto& c : cases) {
        const SaveTarget target = CheckCanSave(c.path);
        if (c.plant)
            fs::create_symlink(secret_, c.path);
        SaveWholeFile(target, [](std::ostream& out) { out << "ny"; });
        EXPECT_FALSE(fs::is_symlink(c.path)) << c.path;
        EXPECT_EQ(FileText(c.path), "ny") << c.path;
        struct stat info {};
        ::stat(c.path.c_str(), &info);
        if (c.mode != 0) {
            EXPECT_EQ(info.st_mode & 07777, c.mode) << c.path;
        }
    }
    EXPECT_EQ(FileText(secret_), "hemlig");
}

// The temporary file is made new: a file or link someone put at its name is
// never opened, nor written through.
TEST_F(SaveTargetTest, TheTemporaryFileIsNeverOneThatWasThere) {
    const int folder = ::open(folder_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::ofstream(folder_ / "fil.tmp") << "gammal";
    fs::create_symlink(secret_, folder_ / "länk.tmp");
    for (const char* name : {"fil.tmp", "länk.tmp"}) {
        errno = 0;
        const int fd = file_output::OpenNewFile(folder, name, false);
        EXPECT_EQ(fd, -1) << name;
        EXPECT_EQ(errno, EEXIST) << name;
        if (fd >= 0)
            ::close(fd);
    }
    ::close(folder);
    EXPECT_EQ(FileText(secret_), "hemlig");
}

// Once the port is put back, SIGINT and SIGTERM end a save that waits on a
// FIFO with no reader, or on a full pipe whose reader does not read.
TEST_F(SaveTargetTest, ASignalEndsASaveThatWaitsOnAPipe) {
    const fs::path fifo = folder_ / "fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    for (const auto& [signal, reader] : {std::pair{SIGINT, false}, std::pair{SIGTERM, true}}) {
        const int idle = reader ? ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK) : -1;
        std::atomic<bool> done = false;
        std::string fault = "not stopped";
        {
            const DeferredTerminationSignals guard;
            const SaveTarget target = CheckCanSave(fifo);
            // Sent until the save ends: one that comes just before the save
            // starts to wait finds nothing to cut short. After 20 s a reader
            // that empties the pipe ends a save that nothing stopped.
            std::thread sender([&, signal = signal] {
                sigset_t all;
                sigfillset(&all);
                pthread_sigmask(SIG_BLOCK, &all, nullptr);
                const auto start = std::chrono::steady_clock::now();
                while (!done &&
                       std::chrono::steady_clock::now() - start < std::chrono::seconds(20)) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    ::kill(::getpid(), signal);
                }
                char sink[65536];
                const int drain = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
                while (!done)
                    if (::read(drain, sink, sizeof sink) <= 0)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                ::close(drain);
            });
            try {
                const DeferredTerminationSignals::Interrupting interrupting;
                SaveWholeFile(
                    target, [](std::ostream& out) { out << std::string(1 << 20, 'x'); },
                    [&interrupting] { return interrupting.arrived(); });
            } catch (const FileSaveError& e) {
                fault = std::string(e.what()).find("avbröts av en signal") != std::string::npos
                            ? ""
                            : e.what();
            }
            done = true;
            sender.join();
            DeferredTerminationSignals::forgetNoted();
        }
        EXPECT_EQ(fault, "") << signal;
        EXPECT_TRUE(fs::is_fifo(fifo));
        if (idle >= 0)
            ::close(idle);
    }
}

} // namespace
#endif
