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
