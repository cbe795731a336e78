// SPDX-License-Identifier: MIT
#include "PpdevCheck.h"

#include "CheckLog.h"
#include "ChildWithDeadline.h"
#include "GuestPaths.h"
#include "GuestProcesses.h"
#include "PathChecks.h"
#include "PortHolder.h"
#include "PrinterDriverCheck.h"
#include "PulseTrainCheck.h"

#include "ports/PortIo.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace portprov::hardwaretest {
namespace {

// Gives the node to group lp, then becomes user 1000 in group lp only, the
// way a desktop user in lp would run the program.
bool BecomeLpUser(CheckLog& log) {
    const bool nodeReady = chown(kParportNode, 0, kLpGroup) == 0 && chmod(kParportNode, 0660) == 0;
    log.expectTrue(std::string(kParportNode) + " belongs to group lp, mode 0660", nodeReady,
                   nodeReady ? "" : std::strerror(errno));
    const gid_t groups[] = {kLpGroup};
    const bool dropped =
        setgroups(1, groups) == 0 && setgid(kLpGroup) == 0 && setuid(kUnprivilegedUser) == 0;
    log.expectTrue("dropped to uid 1000, gid lp", dropped && getuid() == kUnprivilegedUser &&
                                                      geteuid() == kUnprivilegedUser &&
                                                      getegid() == kLpGroup);
    log.expectTrue("root cannot be regained", setuid(0) != 0);
    return nodeReady && dropped;
}

// An address outside the kernel's ports is refused with a message that names
// the registers ppdev does reach; no port is touched.
void CheckUncoveredAddress(CheckLog& log) {
    try {
        SelectPortBackend(ChooserPath().open);
        const unsigned value = DlPortReadPortUchar(513);
        log.fail("chooser: 513 is outside the kernel's ports but read " + std::to_string(value));
    } catch (const PortError& error) {
        const std::string message = error.what();
        log.expectTrue("chooser: 513 is refused, naming the registers ppdev reaches",
                       message.find("888") != std::string::npos, message);
    }
}

// A user who may not open the node (not yet in lp, or the node still root's
// only) gets a refusal that tells about the lp group. Runs in a child that
// drops its privileges, so that the caller can still prepare the node.
void CheckRefusalNamesLpGroup(CheckLog& log) {
    const bool nodeClosed = chown(kParportNode, 0, 0) == 0 && chmod(kParportNode, 0600) == 0;
    log.expectTrue(std::string(kParportNode) + " closed to everyone but root", nodeClosed);
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const gid_t groups[] = {kLpGroup};
        if (setgroups(1, groups) != 0 || setgid(kLpGroup) != 0 || setuid(kUnprivilegedUser) != 0) {
            std::_Exit(2);
        }
        try {
            SelectPortBackend(ChooserPath().open);
            DlPortReadPortUchar(kLpt1);
            std::_Exit(3);
        } catch (const PortError& error) {
            const std::string message = error.what();
            std::printf("        refusal: %s\n", message.c_str());
            std::fflush(stdout);
            std::_Exit(message.find("gruppen lp") != std::string::npos ? 0 : 4);
        }
    }
    int status = 0;
    const bool waited = child > 0 && waitpid(child, &status, 0) == child;
    log.expectTrue("without access to the node the refusal names the lp group",
                   waited && WIFEXITED(status) && WEXITSTATUS(status) == 0,
                   waited && WIFEXITED(status)
                       ? "child status " + std::to_string(WEXITSTATUS(status))
                       : "child did not finish");
}

// Another program holds the port: each access gives up within a few seconds
// with a message that names the busy port, and once the other program lets
// go the port is reached again.
void CheckBusyPort(CheckLog& log, PortHolder::Claim claim, const std::string& who) {
    constexpr double kPatience = 5.0; // seconds
    SelectPortBackend({});            // lets go of this program's own claim
    RunWithDeadline(log, who, std::chrono::seconds(20), [&](CheckLog& own) {
        {
            const PortHolder holder(kParportNode, claim);
            own.expectTrue(who + " holds " + kParportNode, holder.holding(), holder.error());
            SelectPortBackend(ChooserPath().open);
            for (const char* attempt : {"first", "second"}) {
                const auto start = std::chrono::steady_clock::now();
                std::string message;
                try {
                    const unsigned value = DlPortReadPortUchar(kLpt1);
                    message = "read " + std::to_string(value);
                } catch (const PortError& error) {
                    message = error.what();
                }
                const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
                char seconds[32];
                std::snprintf(seconds, sizeof seconds, "%.1f s: ", took.count());
                own.expectTrue(who + ": " + attempt + " access gives up within 5 s naming the port",
                               took.count() < kPatience &&
                                   message.find(std::string(kParportNode) + " är upptagen") !=
                                       std::string::npos,
                               seconds + message.substr(0, message.find('\n')));
            }
        }
        try {
            DlPortWritePortUchar(kLpt1, 0x5A);
            own.expectEqual(who + " gone: 888 reads back 0x5A", 0x5A, DlPortReadPortUchar(kLpt1));
        } catch (const std::exception& error) {
            own.fail(who + " gone: port access failed: " + Describe(error));
        }
        SelectPortBackend({});
    });
}

// While this program holds the port for a sequence (a recording, or a
// loopback test), a second program through ppdev gets the busy message; once
// the sequence is over, this program's next access works.
void CheckBusyForSecondUser(CheckLog& log, bool recording) {
    const std::string who = recording ? "during a recording" : "during a loopback test";
    SelectPortBackend({});
    RunWithDeadline(log, who, std::chrono::seconds(20), [&](CheckLog& own) {
        int go[2];
        if (pipe(go) != 0) {
            own.fail("pipe");
            return;
        }
        std::fflush(stdout);
        const pid_t second = fork();
        if (second == 0) {
            close(go[1]);
            std::string message = "no word";
            if (AwaitWord(go[0])) {
                try {
                    SelectPortBackend(PpdevPath().open);
                    message = "read " + std::to_string(DlPortReadPortUchar(kLpt1));
                } catch (const PortError& error) {
                    message = error.what();
                }
            }
            std::printf("        second program: %s\n",
                        message.substr(0, message.find('\n')).c_str());
            std::fflush(stdout);
            std::_Exit(message.find(std::string(kParportNode) + " är upptagen") != std::string::npos
                           ? 0
                           : 1);
        }
        close(go[0]);
        try {
            SelectPortBackend(PpdevPath().open);
            const std::int32_t registers[] = {kLpt1, kLpt1Status, kLpt1Control};
            std::unique_ptr<DirectPortSequence> sequence;
            std::unique_ptr<PortHold> hold;
            if (recording) {
                sequence = std::make_unique<DirectPortSequence>(registers);
            } else {
                hold = HoldPortForSequence(kLpt1);
            }
            own.expectTrue(who + ": this program holds the port", sequence || hold);
            SendWord(go[1]);
            int status = -1;
            const bool ended = waitpid(second, &status, 0) == second;
            own.expectTrue(who + ": a second program through ppdev is told the port is busy",
                           ended && WIFEXITED(status) && WEXITSTATUS(status) == 0);
            if (sequence) {
                sequence->backend().write(kLpt1, 0x66);
                own.expectEqual(who + ": the sequence's own accesses go through", 0x66,
                                sequence->backend().read(kLpt1));
            }
        } catch (const PortError& error) {
            own.fail(who + ": " + error.what());
        }
        close(go[1]);
        try {
            DlPortWritePortUchar(kLpt1, 0xA5);
            own.expectEqual(who + " over: 888 reads back 0xA5", 0xA5, DlPortReadPortUchar(kLpt1));
        } catch (const PortError& error) {
            own.fail(who + " over: " + error.what());
        }
        SelectPortBackend({});
    });
}

} // namespace

int RunPpdev(const std::string& text) {
    CheckLog log;
    struct stat node {};
    log.expectTrue(std::string(kParportNode) + " is a character device",
                   stat(kParportNode, &node) == 0 && S_ISCHR(node.st_mode));
    CheckRefusalNamesLpGroup(log);
    CheckPrinterDriverBeside(log, text);
    if (!BecomeLpUser(log)) {
        return log.finish("ppdev as a member of lp");
    }
    CheckRawRefused(log);
    const GuestPath ppdev = PpdevPath();
    CheckRegisters(log, ppdev, false);
    CheckPrinting(log, ppdev, text);
    CheckPulseTrain(log, ppdev, kPulseBytePpdev);
    CheckChooser(log, "ppdev");
    CheckUncoveredAddress(log);
    CheckBusyPort(log, PortHolder::Claim::Shared, "another ppdev user");
    CheckBusyPort(log, PortHolder::Claim::Exclusive, "a program holding it alone");
    CheckBusyForSecondUser(log, true);
    CheckBusyForSecondUser(log, false);
    SelectPortBackend({});
    return log.finish("ppdev as a member of lp");
}

} // namespace portprov::hardwaretest
