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
namespace fs = std::filesystem;

namespace {

struct Unit {
    std::uint16_t first, last;
};

class PortLocksTest : public testing::Test {
protected:
    fs::path folder = UniqueTestPath("portprov-locks-");
    fs::path portFile = folder / "port";

    mode_t umaskBefore = ::umask(077);

    void SetUp() override {
        fs::create_directory(folder);
        std::ofstream(portFile, std::ios::binary) << std::string(65536, '\0');
    }
    void TearDown() override {
        ::umask(umaskBefore);
        SelectPortBackend({});
        fs::remove_all(folder);
    }
    // This process's backend, with 1000 a base the kernel reports.
    void Bind() {
        SelectPortBackend([this] {
            return std::make_unique<DevPortFile>(
                portFile.string(),
                std::make_shared<PortLocks>(folder.string(), std::vector<std::uint16_t>{888, 1000},
                                            std::chrono::milliseconds(100)));
        });
    }
};

// The kind of the failure of an access, or none.
std::optional<PortErrorKind> Refusal(const std::function<void()>& access) {
    try {
        access();
    } catch (const PortError& error) {
        return error.kind();
    }
    return std::nullopt;
}

char Await(int fd) {
    char c = 0;
    return ::read(fd, &c, 1) == 1 ? c : '?';
}

// A child process and the parent's ends of the pipes to and from it; going
// away closes them, so that the child sees the end and finishes, and reaps it.
struct Child {
    pid_t pid = -1;
    int to = -1, from = -1;
    void tell(char c) const { (void)!::write(to, &c, 1); }
    ~Child() {
        ::close(to);
        ::close(from);
        int status = 0;
        ::waitpid(pid, &status, 0);
    }
};

// Runs child in a process of its own, handing it its ends of the pipes.
template <typename Body> void Fork(Child& parent, Body child) {
    int toChild[2], toParent[2];
    if (::pipe(toChild) != 0 || ::pipe(toParent) != 0)
        return;
    parent.pid = ::fork();
    if (parent.pid == 0) {
        ::close(toChild[1]);
        ::close(toParent[0]);
        child(toChild[0], toParent[1]);
        ::_exit(0);
    }
    ::close(toChild[0]);
    ::close(toParent[1]);
    parent.to = toChild[1];
    parent.from = toParent[0];
}

} // namespace

TEST_F(PortLocksTest, ASequenceKeepsAnotherProcessOffItsPortUntilItEnds) {
    for (const Unit unit : {Unit{888, 890}, Unit{512, 519}, Unit{1000, 1002}}) {
        SCOPED_TRACE(unit.first);
        Child holder;
        Fork(holder, [&](int from, int to) {
            // Holds the unit, and reaches it itself, until told to let go.
            Bind();
            auto hold = HoldPortForSequence(unit.first);
            bool own = hold != nullptr;
            for (int port = unit.first; port <= unit.last; ++port) {
                DlPortWritePortUchar(port, port & 0xFF);
                own = own && DlPortReadPortUchar(port) == (port & 0xFF);
            }
            (void)!::write(to, own ? "h" : "x", 1);
            Await(from);
            hold.reset();
            (void)!::write(to, "r", 1);
            Await(from);
        });
        ASSERT_EQ(Await(holder.from), 'h') << "the holder's own accesses work";
        Bind();
        for (int port = unit.first; port <= unit.last; ++port) {
            EXPECT_EQ(Refusal([&] { DlPortReadPortUchar(port); }), PortErrorKind::Busy) << port;
            EXPECT_EQ(Refusal([&] { DlPortWritePortUchar(port, 0); }), PortErrorKind::Busy) << port;
        }
        EXPECT_EQ(Refusal([&] { (void)HoldPortForSequence(unit.last); }), PortErrorKind::Busy);
        for (const int outside : {unit.first - 1, unit.last + 1})
            EXPECT_EQ(Refusal([&] { DlPortReadPortUchar(outside); }), std::nullopt) << outside;

        holder.tell('g');
        ASSERT_EQ(Await(holder.from), 'r');
        for (int port = unit.first; port <= unit.last; ++port)
            EXPECT_EQ(Refusal([&] { DlPortWritePortUchar(port, 7); }), std::nullopt) << port;
        EXPECT_EQ(Refusal([&] { (void)HoldPortForSequence(unit.first); }), std::nullopt);

        holder.tell('e');
        SelectPortBackend({});
    }
    // Users of other accounts may take the lock shared, whatever the umask.
    struct stat file {};
    ASSERT_EQ(::stat((folder / "portprov-888.lock").c_str(), &file), 0);
    EXPECT_EQ(file.st_mode & 0777, 0644u);
}
