// SPDX-License-Identifier: MIT
// The per-port locks of the raw paths (portprov-guest-check locks), in
// /run/lock as a system has it (init makes it, mode 1777). While one program
// holds the parallel port for a sequence through ioperm, a second program is
// told the port is busy whichever way it comes: ioperm, /dev/port, or as a
// user without rights through portprov-io. Once the first lets go, the
// second reaches the port.
//
// Each second program is a process of its own, as it would be on a desktop:
// the locks are per open file, and this process takes no port grant that
// the user's program would inherit.

#include "LockCheck.h"

#include "CheckLog.h"
#include "ChildWithDeadline.h"
#include "GuestPaths.h"
#include "GuestProcesses.h"
#include "PathChecks.h"

#include "ports/PortIo.h"
#include "ports/linux/DevPortFile.h"
#include "ports/linux/PortLocks.h"
#include "ports/linux/RawX86Ports.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace portprov::hardwaretest {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<PortBackend> RawWithLocks() {
    return std::make_unique<RawX86Ports>(SystemPortLocks());
}

std::unique_ptr<PortBackend> DevPortWithLocks() {
    return std::make_unique<DevPortFile>(kDevPortPath, SystemPortLocks());
}

// The first program: holds 888 for a sequence through ioperm until it is
// told to let go. Tells `held` with 1, or 0 when it got no lock to hold.
pid_t StartHolder(int held, int letGo) {
    std::fflush(stdout);
    const pid_t holder = fork();
    if (holder != 0) {
        return holder;
    }
    char word = 0;
    std::unique_ptr<PortHold> hold;
    try {
        SelectPortBackend(RawWithLocks);
        hold = HoldPortForSequence(kLpt1);
        word = hold ? 1 : 0;
    } catch (const PortError& error) {
        std::printf("        first program: %s\n", error.what());
        std::fflush(stdout);
    }
    static_cast<void>(::write(held, &word, 1));
    AwaitWord(letGo);
    std::_Exit(0);
}

enum class Attempt { Read, Sequence };

// One second program: how it comes to the port and what it asks for.
struct SecondProgram {
    const char* name;
    BackendFactory open;
    Attempt attempt;
    bool asUser;   // a user without rights, through the helper
    double within; // seconds the answer may take
};

// What the attempt met: "busy: <message>", "reached", or another failure.
std::string Attempted(Attempt attempt) {
    try {
        if (attempt == Attempt::Read) {
            return "reached: 888 reads " + std::to_string(DlPortReadPortUchar(kLpt1));
        }
        return HoldPortForSequence(kLpt1) ? "reached: held" : "reached: held without a lock";
    } catch (const PortError& error) {
        const std::string message = error.what();
        return (error.kind() == PortErrorKind::Busy ? "busy: " : "refused: ") +
               message.substr(0, message.find('\n'));
    }
}

void CheckSecond(CheckLog& log, const SecondProgram& second, bool firstHolds) {
    RunWithDeadline(log, second.name, 30s, [&](CheckLog& own) {
        if (second.asUser && !BecomeUserWithoutRights()) {
            own.fail("could not become user 1000");
            return;
        }
        SelectPortBackend(second.open);
        const auto start = std::chrono::steady_clock::now();
        const std::string met = Attempted(second.attempt);
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.2f s: ", took.count());
        const char* wanted = firstHolds ? "busy: " : "reached: ";
        own.expectTrue(std::string(second.name) +
                           (firstHolds ? ": told the port is busy" : ": reaches the port"),
                       met.rfind(wanted, 0) == 0 && took.count() < second.within, seconds + met);
        SelectPortBackend({});
    });
}

} // namespace

int RunLocks() {
    CheckLog log;
    struct stat folder {};
    log.expectTrue(std::string(kPortLockFolder) + " is a folder with mode 1777",
                   stat(kPortLockFolder, &folder) == 0 && S_ISDIR(folder.st_mode) &&
                       (folder.st_mode & 07777) == 01777);
    const SecondProgram seconds[] = {
        {"second program through ioperm, one access", RawWithLocks, Attempt::Read, false, 1.0},
        {"second program through /dev/port, one access", DevPortWithLocks, Attempt::Read, false,
         1.0},
        // A sequence waits for the first one a while before it gives up.
        {"second program through ioperm, a sequence", RawWithLocks, Attempt::Sequence, false,
         PortLocks::kSequenceWait.count() / 1000.0 + 2.0},
        {"user 1000 through portprov-io, one access", ChooserPath().open, Attempt::Read, true, 5.0},
    };
    int held[2];
    int letGo[2];
    if (pipe(held) != 0 || pipe(letGo) != 0) {
        log.fail("pipe");
        return log.finish("port locks of the raw paths");
    }
    const pid_t first = StartHolder(held[1], letGo[0]);
    close(held[1]);
    close(letGo[0]);
    char word = 0;
    const bool holding = ::read(held[0], &word, 1) == 1 && word == 1;
    log.expectTrue("a first program holds 888 for a sequence through ioperm", holding);
    for (const SecondProgram& second : seconds) {
        CheckSecond(log, second, true);
    }
    SendWord(letGo[1]);
    int status = -1;
    log.expectTrue("the first program lets go",
                   waitpid(first, &status, 0) == first && WIFEXITED(status));
    for (const SecondProgram& second : {seconds[0], seconds[3]}) {
        CheckSecond(log, second, false);
    }
    return log.finish("port locks of the raw paths");
}

} // namespace portprov::hardwaretest
