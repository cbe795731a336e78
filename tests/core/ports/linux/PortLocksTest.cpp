// SPDX-License-Identifier: MIT
// Two real processes on one port through /dev/port (an ordinary file here),
// locking in a folder of the test's own.
#include "ports/linux/PortLocks.h"
#include "TestPaths.h"
#include "ports/PortIo.h"
#include "ports/linux/DevPortFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace portprov;

namespace {

// The kind of the failure of an access, or none.
std::optional<PortErrorKind> Refusal(const std::function<void()>& access) {
    try {
        access();
    } catch (const PortError& error) {
        return error.kind();
    }
    return std::nullopt;
}

// A second process that runs body(step) each time the parent asks with
// next(), answering with body's letter ('x' if it threw). Going away closes
// the pipes, so that the child finishes, and reaps it.
struct Child {
    int to[2], from[2];
    pid_t pid;
    explicit Child(const std::function<char(int)>& body) {
        (void)!::pipe(to), (void)!::pipe(from);
        pid = ::fork();
        ::close(pid == 0 ? to[1] : to[0]);
        ::close(pid == 0 ? from[0] : from[1]);
        for (int step = 0; pid == 0; ++step) {
            char c = 0;
            if (::read(to[0], &c, 1) != 1)
                ::_exit(0);
            try {
                c = body(step);
            } catch (...) {
                c = 'x';
            }
            (void)!::write(from[1], &c, 1);
        }
    }
    char next() {
        char c = 0;
        (void)!::write(to[1], &c, 1);
        return ::read(from[0], &c, 1) == 1 ? c : '?';
    }
    ~Child() {
        ::close(to[1]);
        ::close(from[0]);
        ::waitpid(pid, nullptr, 0);
    }
};

} // namespace

TEST(PortLocks, ASequenceKeepsAnotherProcessOffItsPortUntilItEnds) {
    const auto folder = UniqueTestPath("portprov-locks-");
    std::filesystem::create_directory(folder);
    std::ofstream(folder / "port") << std::string(65536, '\0');
    const mode_t umaskBefore = ::umask(077);
    const auto bind = [&] {
        // 1000: a base the kernel reports.
        SelectPortBackend([&] {
            return std::make_unique<DevPortFile>(
                (folder / "port").string(),
                std::make_shared<PortLocks>(folder.string(), std::vector<std::uint16_t>{888, 1000},
                                            std::chrono::milliseconds(100)));
        });
    };
    for (const auto& [first, last] : {std::pair{888, 890}, {512, 519}, {1000, 1002}}) {
        SCOPED_TRACE(first);
        SelectPortBackend({});
        std::unique_ptr<PortHold> hold;
        Child holder([&](int step) {
            if (step > 0) {
                hold.reset();
                return 'r';
            }
            bind();
            hold = HoldPortForSequence(first);
            bool own = hold != nullptr;
            for (int port = first; port <= last; ++port) {
                DlPortWritePortUchar(port, port & 0xFF);
                own = own && DlPortReadPortUchar(port) == (port & 0xFF);
            }
            return own ? 'h' : 'x';
        });
        ASSERT_EQ(holder.next(), 'h') << "the holder's own accesses work";
        bind();
        for (int port = first; port <= last; ++port) {
            EXPECT_EQ(Refusal([&] { DlPortReadPortUchar(port); }), PortErrorKind::Busy) << port;
            EXPECT_EQ(Refusal([&] { DlPortWritePortUchar(port, 0); }), PortErrorKind::Busy) << port;
        }
        EXPECT_EQ(Refusal([&] { (void)HoldPortForSequence(last); }), PortErrorKind::Busy);
        for (const int outside : {first - 1, last + 1})
            EXPECT_EQ(Refusal([&] { DlPortReadPortUchar(outside); }), std::nullopt) << outside;

        ASSERT_EQ(holder.next(), 'r');
        for (int port = first; port <= last; ++port)
            EXPECT_EQ(Refusal([&] { DlPortWritePortUchar(port, 7); }), std::nullopt) << port;
        EXPECT_EQ(Refusal([&] { (void)HoldPortForSequence(first); }), std::nullopt);
    }
    SelectPortBackend({});
    ::umask(umaskBefore);
    // Users of other accounts may take the lock shared, whatever the umask.
    struct stat file {};
    ASSERT_EQ(::stat((folder / "portprov-888.lock").c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0644u);
    std::filesystem::remove_all(folder);
}

// Whatever sits at a lock file's path, nothing waits for it, a single access
// still reaches the port, and each sequence, which the lock is for, is
// refused (r), naming the file and what is wrong with it. Nor is the mode of
// a file found there widened, another user's or another name of one.
TEST(PortLocks, AnUnusableLockFileRefusesEverySequenceButNoAccess) {
    namespace fs = std::filesystem;
    const fs::path root = UniqueTestPath("portprov-lock-files-");
    fs::create_directory(root);
    const fs::path target = root / "target";
    std::ofstream{target};
    ::chmod(target.c_str(), 0600);
    (void)!::chown(target.c_str(), 65534, 65534); // as root: nobody's, as is the check
    struct Row {
        char expected;
        std::string named;
        std::function<void(const fs::path&)> plant;
    } const rows[] = {
        {'r', "FIFO", [](const fs::path& lock) { ::mkfifo(lock.c_str(), 0666); }},
        {'r', "symbolisk länk", [&](const fs::path& lock) { fs::create_symlink(target, lock); }},
        {'r', "mapp", [](const fs::path& lock) { fs::create_directory(lock); }},
        {'r', "läsas", [](const fs::path& lock) { std::ofstream{lock}, ::chmod(lock.c_str(), 0); }},
        {'r', "skapas", [](const fs::path& lock) { ::chmod(lock.parent_path().c_str(), 0555); }},
        {'l', "hard link", [&](const fs::path& lock) { fs::create_hard_link(target, lock); }},
        {'u', "no folder", [](const fs::path& lock) { fs::remove(lock.parent_path()); }},
    };
    for (const Row& row : rows) {
        const fs::path folder = root / std::to_string(&row - rows);
        const std::string lock = (folder / "portprov-888.lock").string();
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0755)), fs::permissions(root, fs::perms(0755));
        row.plant(lock);
        // Each sequence locked, unlocked, refused as it should be, or not (x);
        // a child that waits for good ends at the alarm ('?').
        Child child([&](int) {
            ::alarm(10);
            if (::geteuid() == 0) // root reads any file: the check runs as nobody
                (void)!::setgroups(0, nullptr), (void)!::setresgid(65534, 65534, 65534),
                    (void)!::setresuid(65534, 65534, 65534);
            PortLocks locks(folder.string(), {888}, std::chrono::milliseconds(100));
            if (Refusal([&] { (void)locks.forAccess(889); }))
                return 'a';
            std::string seen;
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    seen += locks.holdForSequence(888) ? 'l' : 'u';
                } catch (const PortError& error) {
                    const std::string text = error.what();
                    const bool named = text.find(lock + " ") != std::string::npos &&
                                       text.find(row.named) != std::string::npos;
                    seen += error.kind() == PortErrorKind::NotPermitted && named ? 'r' : 'x';
                }
            }
            return seen[0] == seen[1] ? seen[0] : 'x';
        });
        EXPECT_EQ(child.next(), row.expected) << row.named;
    }
    struct stat file {};
    EXPECT_EQ(::stat(target.c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    fs::permissions(root / "4", fs::perms(0755));
    fs::remove_all(root);
}

// The refusal asks to remove the file and try again: the next sequence
// finds it anew, with no new start of the program.
TEST(PortLocks, TheNextSequenceFindsTheLockFileMended) {
    const auto folder = UniqueTestPath("portprov-mended-lock-");
    std::filesystem::create_directory(folder);
    std::filesystem::create_symlink("nowhere", folder / "portprov-888.lock");
    PortLocks locks(folder.string(), {888});
    EXPECT_EQ(Refusal([&] { (void)locks.holdForSequence(888); }), PortErrorKind::NotPermitted);
    std::filesystem::remove(folder / "portprov-888.lock");
    EXPECT_NE(locks.holdForSequence(888), nullptr);
    std::filesystem::remove_all(folder);
}
