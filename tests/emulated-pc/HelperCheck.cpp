// SPDX-License-Identifier: MIT
// The helper portprov-io in the emulated PC (portprov-guest-check helper):
// it gets the right the package gives it with setcap, written here as the
// file capability it is; a user with no right of their own (not root, not in
// lp, no capability) reaches the ports through it by the program's own
// chooser, the generator's runs included; and when that user's program is
// killed half way through a sequence, the helper finishes it, puts the port
// back and ends.
//
// This process takes no port grant and keeps no port device open when it
// starts a program as that user: the kernel hands both on to children, and
// the user must have nothing but the helper.

#include "HelperCheck.h"

#include "CheckLog.h"
#include "ChildWithDeadline.h"
#include "GuestPaths.h"
#include "GuestProcesses.h"
#include "PathChecks.h"
#include "PulseTrainCheck.h"

#include "loopback/LoopbackTest.h"
#include "ports/PortIo.h"
#include "ports/linux/DevPortFile.h"
#include "ports/linux/ProgramPath.h"
#include "printing/TestLine.h"
#include "remote/HelperProtocol.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <endian.h>
#include <linux/capability.h>
#include <memory>
#include <optional>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace portprov::hardwaretest {
namespace {

using namespace std::chrono_literals;

constexpr const char* kHelperName = "portprov-io";
constexpr std::uint64_t kRawIoOnly = std::uint64_t{1} << CAP_SYS_RAWIO;
constexpr auto kHelperEnds = 10s;

// What setcap cap_sys_rawio+ep writes: the capability permitted and in
// effect at once, the helper's only one.
void GiveHelperPortRight(CheckLog& log) {
    const char* path = kInstalledHelperPath;
    // A change of owner takes a file capability away: owner and mode first.
    const bool owned = chown(path, 0, 0) == 0 && chmod(path, 0755) == 0;
    struct stat file {};
    log.expectTrue(std::string(path) + " belongs to root, mode 0755",
                   owned && stat(path, &file) == 0 && file.st_uid == 0 &&
                       (file.st_mode & 07777) == 0755);
    vfs_cap_data capability{};
    capability.magic_etc = htole32(VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE);
    capability.data[0].permitted = htole32(std::uint32_t{1} << CAP_SYS_RAWIO);
    const bool written =
        setxattr(path, "security.capability", &capability, XATTR_CAPS_SZ_2, 0) == 0;
    log.expectTrue("security.capability written", written, written ? "" : std::strerror(errno));
    vfs_cap_data back{};
    const ssize_t size = getxattr(path, "security.capability", &back, sizeof back);
    log.expectTrue("security.capability reads back as cap_sys_rawio+ep",
                   size == XATTR_CAPS_SZ_2 && std::memcmp(&back, &capability, XATTR_CAPS_SZ_2) == 0,
                   size < 0 ? std::strerror(errno) : std::to_string(size) + " bytes");
}

} // namespace

// Root's own accesses go through /dev/port, opened for each and closed again.
std::optional<unsigned> RootRead(std::int32_t port) {
    try {
        DevPortFile ports;
        return ports.read(static_cast<std::uint16_t>(port));
    } catch (const PortError&) {
        return std::nullopt;
    }
}

namespace {

bool RootWrite(std::int32_t port, unsigned value) {
    try {
        DevPortFile ports;
        ports.write(static_cast<std::uint16_t>(port), static_cast<std::uint8_t>(value));
        return true;
    } catch (const PortError&) {
        return false;
    }
}

// The parallel port's data latch and control register.
struct Registers {
    std::uint8_t data;
    std::uint8_t control;
};

bool RootSets(Registers wanted) {
    // The latch is written with the data lines driven, then the control register.
    return RootWrite(kLpt1Control, wanted.control & ~kControlReverse) &&
           RootWrite(kLpt1, wanted.data) && RootWrite(kLpt1Control, wanted.control);
}

// Reads both as root; the latch with the data lines driven, which is where
// this leaves the port.
void CheckAsBefore(CheckLog& log, const std::string& who, Registers before) {
    const auto control = RootRead(kLpt1Control);
    const bool driven = RootWrite(kLpt1Control, before.control & ~kControlReverse);
    const auto data = driven ? RootRead(kLpt1) : std::nullopt;
    log.expectEqual(who + ": 890 as it was", before.control | kControlUnusedBits,
                    control.value_or(256));
    log.expectEqual(who + ": 888's latch as it was", before.data, data.value_or(256));
}

} // namespace

std::optional<pid_t> CheckHelperOf(CheckLog& log, pid_t parent) {
    const auto helpers = ProcessesNamed(kHelperName, parent);
    log.expectTrue("one portprov-io runs for the program", helpers.size() == 1,
                   std::to_string(helpers.size()) + " found");
    if (helpers.size() != 1) {
        return std::nullopt;
    }
    const pid_t helper = helpers.front();
    const auto uid = StatusField(helper, "Uid");
    log.expectTrue("portprov-io runs as user 1000", uid == "1000\t1000\t1000\t1000",
                   uid.value_or("no status"));
    log.expectTrue("portprov-io holds cap_sys_rawio and nothing else",
                   CapabilitySet(helper, "CapEff") == kRawIoOnly &&
                       CapabilitySet(helper, "CapPrm") == kRawIoOnly,
                   "CapEff " + StatusField(helper, "CapEff").value_or("?"));
    return helper;
}

bool CheckWithoutRights(CheckLog& log) {
    const bool dropped = BecomeUserWithoutRights();
    log.expectTrue("user 1000, group 1000, no other group (not lp)",
                   dropped && getuid() == kUnprivilegedUser && geteuid() == kUnprivilegedUser &&
                       getgid() == kUnprivilegedUser && getgroups(0, nullptr) == 0);
    log.expectTrue("CapEff is 0 in /proc/self/status", CapabilitySet(getpid(), "CapEff") == 0U,
                   StatusField(getpid(), "CapEff").value_or("missing"));
    CheckRawRefused(log);
    return dropped;
}

namespace {

// The registers as the checks of ioperm read them, the game port as root
// reads it, the test line printed by the helper, and the generator's pulse
// train on strobe run in the helper.
void CheckUserThroughHelper(CheckLog& log, const std::string& text, unsigned gamePort) {
    RunWithDeadline(log, "user 1000 through portprov-io", 60s, [&](CheckLog& own) {
        if (!CheckWithoutRights(own)) {
            return;
        }
        const GuestPath helper{"portprov-io", ChooserPath().open};
        CheckRegisters(own, helper, true);
        CheckHelperOf(own, getpid());
        try {
            own.expectEqual("portprov-io: 513 reads as root reads it", gamePort,
                            DlPortReadPortUchar(kGamePort));
            const std::string line = text + " via portprov-io\n";
            own.expectEqual("portprov-io: the test line printed",
                            static_cast<unsigned>(line.size()),
                            static_cast<unsigned>(PrintLine(kLpt1, line)));
            // The generator must hand the whole run to the helper: paced
            // across the pipe one write at a time, it would fall behind.
            own.expectTrue("portprov-io: the generator's run goes to the helper whole",
                           SequencesElsewhereFor(kLpt1) != nullptr);
            SendPulseTrain(own, helper.name, kPulseByteHelper);
        } catch (const std::exception& error) {
            own.fail(std::string("portprov-io: ") + error.what());
        }
        SelectPortBackend({});
        own.expectTrue("portprov-io ends with the program's ports",
                       ProcessesNamed(kHelperName).empty());
    });
}

enum class KilledIn { Hold, Loopback };

// What the program writes inside its hold before it is killed; the control
// register with nSelectIn high, so that the emulated printer takes no byte.
constexpr Registers kWrittenInHold{0xC3, 0x04};

// The program of the user without rights: reaches the helper, tells
// `ready`, and is killed in the step `in`; its exit status says where it
// stopped when it was not.
pid_t StartProgram(KilledIn in, int ready, int go) {
    std::fflush(stdout);
    const pid_t program = fork();
    if (program != 0) {
        return program;
    }
    if (!BecomeUserWithoutRights()) {
        std::_Exit(2);
    }
    // Kept until the program is killed: a hold let go ends the sequence.
    std::unique_ptr<PortHold> hold;
    try {
        SelectPortBackend(ChooserPath().open);
        if (in == KilledIn::Hold) {
            hold = HoldPortForSequence(kLpt1);
            DlPortWritePortUchar(kLpt1, kWrittenInHold.data);
            DlPortWritePortUchar(kLpt1Control, kWrittenInHold.control);
            if (DlPortReadPortUchar(kLpt1) != kWrittenInHold.data) {
                std::_Exit(3);
            }
        } else {
            DlPortReadPortUchar(kLpt1Status);
        }
        SendWord(ready);
        if (in == KilledIn::Loopback && AwaitWord(go)) {
            RunLoopbackTest(kLpt1, LoopbackPlug::Data);
            std::_Exit(4); // answered: it was not killed in time
        }
    } catch (const std::exception& error) {
        std::printf("        program: %s\n", error.what());
        std::fflush(stdout);
        std::_Exit(5);
    }
    for (;;) {
        pause();
    }
}

// The bytes waiting to be read in a socket, or -1.
int Waiting(int socket) {
    int bytes = -1;
    return socket >= 0 && ioctl(socket, FIONREAD, &bytes) == 0 ? bytes : -1;
}

// Holds the helper still, lets the program send its loopback request, and
// kills the program while the request waits in the helper's socket, so that
// the helper runs the test with nobody left to answer. Returns a copy of the
// helper's end of the socket, for the check that it took the request.
int KillWithRequestWaiting(CheckLog& log, pid_t program, pid_t helper, int go) {
    kill(helper, SIGSTOP);
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (StatusField(helper, "State").value_or("T").rfind('T', 0) != 0 &&
           std::chrono::steady_clock::now() < deadline) {
        usleep(10000);
    }
    const int handle = static_cast<int>(syscall(SYS_pidfd_open, helper, 0));
    const int socket = handle < 0 ? -1 : static_cast<int>(syscall(SYS_pidfd_getfd, handle, 0, 0));
    if (handle >= 0) {
        close(handle);
    }
    SendWord(go);
    while (Waiting(socket) >= 0 &&
           Waiting(socket) < static_cast<int>(helper_protocol::kFrameSize) &&
           std::chrono::steady_clock::now() < deadline + 5s) {
        usleep(10000);
    }
    log.expectTrue("the program's loopback request waits in portprov-io's socket",
                   Waiting(socket) == static_cast<int>(helper_protocol::kFrameSize),
                   std::to_string(Waiting(socket)) + " bytes");
    kill(program, SIGKILL);
    waitpid(program, nullptr, 0);
    kill(helper, SIGCONT);
    return socket;
}

std::string DescribeEnd(std::optional<int> status) {
    if (!status) {
        return "still running";
    }
    if (WIFSIGNALED(*status)) {
        return std::string("killed by ") + strsignal(WTERMSIG(*status));
    }
    return "exit status " + std::to_string(WEXITSTATUS(*status));
}

void CheckKilledProgram(CheckLog& log, KilledIn in) {
    const std::string who =
        in == KilledIn::Hold ? "killed while it holds the port" : "killed during a loopback test";
    // Before the loopback test the data lines are turned to input (890 bit
    // 5): the test drives them, so 890 too changes and must be put back.
    const Registers before = in == KilledIn::Hold ? Registers{0x3C, 0x0C} : Registers{0x96, 0x2C};
    RunWithDeadline(log, "a program " + who, 60s, [&](CheckLog& own) {
        // The helper of the killed program comes to this process, which sees it end.
        prctl(PR_SET_CHILD_SUBREAPER, 1L, 0L, 0L, 0L);
        own.expectTrue(who + ": root sets 888 and 890", RootSets(before));
        int ready[2];
        int go[2];
        if (pipe(ready) != 0 || pipe(go) != 0) {
            own.fail("pipe");
            return;
        }
        const pid_t program = StartProgram(in, ready[1], go[0]);
        close(ready[1]);
        close(go[0]);
        own.expectTrue(who + ": the program reached portprov-io", AwaitWord(ready[0]));
        const auto helper = CheckHelperOf(own, program);
        if (!helper) {
            kill(program, SIGKILL);
            return;
        }
        int socket = -1;
        if (in == KilledIn::Loopback) {
            socket = KillWithRequestWaiting(own, program, *helper, go[1]);
        } else {
            kill(program, SIGKILL);
            waitpid(program, nullptr, 0);
        }
        const auto killed = std::chrono::steady_clock::now();
        const auto end = AwaitChild(*helper, kHelperEnds);
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - killed;
        char after[32];
        std::snprintf(after, sizeof after, " after %.1f ms", took.count());
        own.expectTrue(who + ": portprov-io ends by itself within 10 s",
                       end && WIFEXITED(*end) && WEXITSTATUS(*end) == 0, DescribeEnd(end) + after);
        if (socket >= 0) {
            own.expectTrue(who + ": portprov-io took the request before it ended",
                           Waiting(socket) == 0, std::to_string(Waiting(socket)) + " bytes left");
            close(socket);
        }
        if (!end) {
            kill(*helper, SIGKILL);
            waitpid(*helper, nullptr, 0);
        }
        own.expectTrue(who + ": no portprov-io is left", ProcessesNamed(kHelperName).empty());
        CheckAsBefore(own, who, before);
    });
}

} // namespace

int RunHelper(const std::string& text) {
    CheckLog log;
    log.expectTrue("running as root", geteuid() == 0);
    GiveHelperPortRight(log);
    const auto gamePort = RootRead(kGamePort);
    log.expectTrue("root reads 513 through /dev/port", gamePort.has_value(),
                   gamePort ? std::to_string(*gamePort) : "");
    CheckUserThroughHelper(log, text, gamePort.value_or(256));
    CheckKilledProgram(log, KilledIn::Hold);
    CheckKilledProgram(log, KilledIn::Loopback);
    return log.finish("portprov-io for a user without rights");
}

} // namespace portprov::hardwaretest
