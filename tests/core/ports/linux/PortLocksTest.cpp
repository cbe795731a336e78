// SPDX-License-Identifier: MIT
// Two real processes on one port through /dev/port (an ordinary file here),
// locking in a folder of the test's own.
#include "ports/linux/PortLocks.h"
#include "TestPaths.h"
#include "ports/PortIo.h"
#include "ports/linux/DevPortFile.h"

#include <gmock/gmock.h>
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

// The text body gives in a process of its own; "" when the process ends
// first, as it does after ten seconds, far beyond what body takes.
std::string InChild(const std::function<std::string()>& body) {
    int ends[2];
    (void)!::pipe(ends);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::alarm(10);
        const std::string text = body();
        (void)!::write(ends[1], text.data(), text.size());
        ::_exit(0);
    }
    ::close(ends[1]);
    std::string text;
    char buffer[4096];
    for (ssize_t got; (got = ::read(ends[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(got));
    ::close(ends[0]);
    ::waitpid(pid, nullptr, 0);
    return text;
}

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
// refused, naming the file and what is wrong with it. Nor is the mode of a
// file found there widened, another user's or another name of one.
TEST(PortLocks, AnUnusableLockFileRefusesEverySequenceButNoAccess) {
    namespace fs = std::filesystem;
    const fs::path root = UniqueTestPath("portprov-lock-files-");
    fs::create_directory(root);
    const fs::path target = root / "target";
    std::ofstream{target};
    ::chmod(target.c_str(), 0600);
    (void)!::chown(target.c_str(), 65534, 65534); // as root: nobody's, as is the check
    struct Row {
        std::string named;  // in the refusal
        std::string passes; // or the outcome of the two sequences
        std::function<void(const fs::path&)> plant;
    } const rows[] = {
        {"FIFO", "", [](const fs::path& lock) { ::mkfifo(lock.c_str(), 0666); }},
        {"symbolisk länk", "", [&](const fs::path& lock) { fs::create_symlink(target, lock); }},
        {"mapp", "", [](const fs::path& lock) { fs::create_directory(lock); }},
        {"läsas", "", [](const fs::path& lock) { std::ofstream{lock}, ::chmod(lock.c_str(), 0); }},
        {"skapas", "", [](const fs::path& lock) { ::chmod(lock.parent_path().c_str(), 0555); }},
        {"", "locked|locked|", [&](const fs::path& lock) { fs::create_hard_link(target, lock); }},
        {"", "unlocked|unlocked|", [](const fs::path& lock) { fs::remove(lock.parent_path()); }},
    };
    for (const Row& row : rows) {
        const fs::path folder = root / std::to_string(&row - rows);
        const fs::path lock = folder / "portprov-888.lock";
        fs::create_directory(folder);
        fs::permissions(folder, fs::perms(0755)), fs::permissions(root, fs::perms(0755));
        row.plant(lock);
        const std::string outcome = InChild([&] {
            // Root reads any file: the check runs as nobody.
            if (::geteuid() == 0)
                (void)!::setgroups(0, nullptr), (void)!::setresgid(65534, 65534, 65534),
                    (void)!::setresuid(65534, 65534, 65534);
            PortLocks locks(folder.string(), {888}, std::chrono::milliseconds(100));
            std::string text =
                Refusal([&] { (void)locks.forAccess(889); }) ? "access refused|" : "";
            for (int attempt = 0; attempt < 2; ++attempt) {
                try {
                    text += locks.holdForSequence(888) ? "locked|" : "unlocked|";
                } catch (const PortError& error) {
                    const bool fits = error.kind() == PortErrorKind::NotPermitted;
                    text += (fits ? "refused: " : "other kind: ") + std::string(error.what()) + '|';
                }
            }
            return text;
        });
        const std::string refusal = outcome.substr(0, outcome.find('|') + 1);
        if (!row.passes.empty()) {
            EXPECT_EQ(outcome, row.passes);
            continue;
        }
        EXPECT_EQ(outcome, refusal + refusal) << row.named;
        EXPECT_THAT(refusal, testing::AllOf(testing::StartsWith("refused: "),
                                            testing::HasSubstr(lock.string() + " "),
                                            testing::HasSubstr(row.named)))
            << row.named;
    }
    struct stat file {};
    EXPECT_EQ(::stat(target.c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0600u);
    fs::permissions(root / "4", fs::perms(0755));
    fs::remove_all(root);
}
