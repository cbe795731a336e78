// SPDX-License-Identifier: MIT
// The port checks that run inside the emulated PC, started by its init
// script as root:
//
//   portprov-guest-check direct <text>   through ioperm/inb/outb and /dev/port
//   portprov-guest-check ppdev <text>    loads the printer driver lp beside a
//                                        program open on ppdev and prints
//                                        through it; then checks ppdev as an
//                                        unprivileged member of the lp group,
//                                        also while another process holds
//                                        the port
//   portprov-guest-check lockdown <text> <0|1>
//                                        locks the kernel down (integrity),
//                                        checks that ppdev still works, and
//                                        ends the machine with the verdict of
//                                        every run
//   portprov-guest-check helper <text>   a user without rights through the
//                                        helper portprov-io (HelperCheck.cpp)
//   portprov-guest-check locks           the per-port locks of the raw paths
//                                        (LockCheck.cpp)
//   portprov-guest-check modes           Portprov's probe of the port's modes
//                                        on each path beside the kernel's
//   portprov-guest-check verdict <0|1>   hands the verdict to the emulator
//
// Every check goes through the program's own port operations,
// DlPortReadPortUchar and DlPortWritePortUchar, bound to one backend at a
// time. The emulated PC has one parallel port at 888 with a printer on it
// that takes every byte it is handed with a strobe pulse; what it prints ends
// up in a file on the host, which checks it.

#include "CheckLog.h"
#include "ChildWithDeadline.h"
#include "DebugExit.h"
#include "GuestPaths.h"
#include "GuestProcesses.h"
#include "HelperCheck.h"
#include "LinePrinter.h"
#include "LockCheck.h"
#include "PathChecks.h"
#include "PortHolder.h"

#include "ports/PortIo.h"
#include "ports/PortModes.h"
#include "ports/linux/KernelLockdown.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <grp.h>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace portprov::hardwaretest {
namespace {

constexpr gid_t kLpGroup = 7;
constexpr const char* kParportNode = "/dev/parport0";

std::string Describe(const std::exception& error) {
    return error.what();
}

// The chooser of the Linux build picks the path whose description holds
// expected (e.g. "ioperm" or "ppdev").
void CheckChooser(CheckLog& log, const std::string& expected) {
    try {
        SelectPortBackend(ChooserPath().open);
        DlPortWritePortUchar(kLpt1, 0x3C);
        log.expectEqual("chooser: 888 reads back 0x3C", 0x3C, DlPortReadPortUchar(kLpt1));
        const std::string description = PortAccessDescription();
        log.expectTrue("chooser picks " + expected, description.find(expected) != std::string::npos,
                       description);
    } catch (const std::exception& error) {
        log.fail("chooser: port access failed: " + Describe(error));
    }
}

int RunDirect(const std::string& text) {
    CheckLog log;
    log.expectTrue("running as root", geteuid() == 0);
    for (const GuestPath& path : {RawPath(), DevPortPath()}) {
        CheckRegisters(log, path, true);
        CheckPrinting(log, path, text);
    }
    CheckChooser(log, "ioperm");
    SelectPortBackend({});
    return log.finish("direct port access");
}

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

// What the program beside lp writes to 890 and expects to find there after lp
// printed: auto feed and init.
constexpr std::uint8_t kControlKept = 0x06;

// Drops to user 1000 in group lp, as BecomeLpUser does, in a child process.
bool DropToLpUser() {
    const gid_t groups[] = {kLpGroup};
    return setgroups(1, groups) == 0 && setgid(kLpGroup) == 0 && setuid(kUnprivilegedUser) == 0;
}

// The printer driver lp beside a running program: the program (user 1000 in
// lp, through ppdev) reads 888 and stays open; meanwhile root loads lp and
// prints "<text> via lp" through /dev/lp0, which must finish within a few
// seconds; then the program's next access works. A program that kept the
// port claimed, or registered it for itself alone, would keep lp from
// loading or the print waiting. Runs as root, before the run drops its
// privileges.
void CheckPrinterDriverBeside(CheckLog& log, const std::string& text) {
    // A program that ended early must fail the checks, not end this process.
    std::signal(SIGPIPE, SIG_IGN);
    const bool nodeReady = chown(kParportNode, 0, kLpGroup) == 0 && chmod(kParportNode, 0660) == 0;
    log.expectTrue(std::string(kParportNode) + " open to group lp", nodeReady);
    int toProgram[2];
    int fromProgram[2];
    if (pipe(toProgram) != 0 || pipe(fromProgram) != 0) {
        log.fail(std::string("pipe: ") + std::strerror(errno));
        return;
    }
    std::fflush(stdout);
    const pid_t program = fork();
    if (program == 0) {
        close(toProgram[1]);
        close(fromProgram[0]);
        int status = 2;
        if (DropToLpUser()) {
            try {
                SelectPortBackend(PpdevPath().open);
                DlPortWritePortUchar(kLpt1, 0x33);
                // Auto feed and init: no strobe, not selected, so nothing prints.
                DlPortWritePortUchar(kLpt1Control, kControlKept);
                status = DlPortReadPortUchar(kLpt1) == 0x33 ? 3 : 4;
                SendWord(fromProgram[1]);
                if (AwaitWord(toProgram[0])) {
                    // lp set the control lines its own way while it printed;
                    // the kernel put ours back when this program claimed again.
                    const bool kept = DlPortReadPortUchar(kLpt1Control) == kControlKept;
                    DlPortWritePortUchar(kLpt1, 0x5A);
                    status = !kept ? 6 : DlPortReadPortUchar(kLpt1) == 0x5A ? 0 : 5;
                }
            } catch (const PortError& error) {
                std::printf("        program: %s\n", error.what());
                std::fflush(stdout);
            }
        }
        std::_Exit(status);
    }
    close(toProgram[0]);
    close(fromProgram[1]);
    log.expectTrue("a program reads 888 through ppdev and stays open",
                   program > 0 && AwaitWord(fromProgram[0]));

    // lp loads even where it finds no port to take; then it makes no lp0.
    const bool loaded = std::system("insmod /lib/modules/lp.ko") == 0;
    struct stat node {};
    const bool attached = stat("/sys/class/printer/lp0", &node) == 0;
    if (attached && stat("/dev/lp0", &node) != 0) {
        static_cast<void>(std::system("mknod /dev/lp0 c 6 0"));
    }
    log.expectTrue("lp loads and takes parport0 as lp0 while the program is open",
                   loaded && attached);

    const std::string line = text + " via lp";
    setenv("PORTPROV_LP_TEXT", line.c_str(), 1);
    const auto start = std::chrono::steady_clock::now();
    // Never into a plain file that the shell would make in /dev.
    const bool printer = stat("/dev/lp0", &node) == 0 && S_ISCHR(node.st_mode);
    const int printed =
        printer ? std::system("timeout 10 sh -c 'echo \"$PORTPROV_LP_TEXT\" > /dev/lp0'") : -1;
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f s", took.count());
    log.expectTrue("echo > /dev/lp0 finishes within 5 s while the program is open",
                   printed == 0 && took.count() < 5.0,
                   seconds +
                       (printed == 0 ? std::string() : ", status " + std::to_string(printed)));

    SendWord(toProgram[1]);
    close(toProgram[1]);
    int status = -1;
    const bool ended = program > 0 && waitpid(program, &status, 0) == program;
    log.expectTrue("the program's control lines are back after lp printed, and its next "
                   "access works: 890 reads 6, 888 reads back 0x5A",
                   ended && WIFEXITED(status) && WEXITSTATUS(status) == 0,
                   ended && WIFEXITED(status)
                       ? "program status " + std::to_string(WEXITSTATUS(status))
                       : "program did not end");
    close(fromProgram[0]);
    // The rest of the run as before lp: a program may again take the port
    // for itself alone, which the kernel refuses while lp is registered.
    log.expectTrue("lp unloads once printed", std::system("rmmod lp") == 0);
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
    CheckChooser(log, "ppdev");
    CheckUncoveredAddress(log);
    CheckBusyPort(log, PortHolder::Claim::Shared, "another ppdev user");
    CheckBusyPort(log, PortHolder::Claim::Exclusive, "a program holding it alone");
    CheckBusyForSecondUser(log, true);
    CheckBusyForSecondUser(log, false);
    SelectPortBackend({});
    return log.finish("ppdev as a member of lp");
}

// The kernel's list of what parport0 can do, as parport_pc found it when it
// loaded, e.g. "PCSPP,TRISTATE,EPP".
std::string KernelModes() {
    std::ifstream file("/proc/sys/dev/parport/parport0/modes");
    std::string modes;
    std::getline(file, modes);
    return modes;
}

// Portprov's probe of 888 on each path agrees with the kernel's report, mode
// by mode (PCSPP is SPP, TRISTATE is PS/2). ppdev does not reach the ECR at
// base + 0x402, so ECP must be "not known" there; the modes that are known
// must agree.
//
// Why the kernel's report depends on what ran before it: QEMU's port (driven
// by software, its output a file) sets the EPP time-out bit (status bit 0)
// at reset and clears it only when the control register is written with
// nInit low (bit 2 clear), which puts the whole status register back without
// it; reading the status register or writing it does not clear it. The
// kernel, like the probe, counts EPP when that bit is clear or can be
// cleared. Loaded first on a fresh boot, parport_pc finds the bit set and
// reports "PCSPP,TRISTATE"; here the checks of raw access ran first and wrote
// 32 to 890 (nInit low), so it reports "PCSPP,TRISTATE,EPP". The probe looks
// after the kernel, at the same state, and must say the same.
int RunModes() {
    CheckLog log;
    const std::string kernel = KernelModes();
    log.expectTrue("the kernel reports parport0's modes", !kernel.empty(), kernel);
    std::vector<std::string> listed;
    for (std::size_t from = 0; from <= kernel.size();) {
        const std::size_t comma = std::min(kernel.find(',', from), kernel.size());
        listed.push_back(kernel.substr(from, comma - from));
        from = comma + 1;
    }
    const auto kernelHas = [&](const char* name) {
        return std::find(listed.begin(), listed.end(), name) != listed.end();
    };
    const std::pair<PortMode, const char*> names[] = {{PortMode::Spp, "PCSPP"},
                                                      {PortMode::Ps2, "TRISTATE"},
                                                      {PortMode::Epp, "EPP"},
                                                      {PortMode::Ecp, "ECP"}};
    for (const GuestPath& path : {RawPath(), DevPortPath(), PpdevPath()}) {
        try {
            SelectPortBackend(path.open);
            const PortModes probed = ProbePortModes(kLpt1);
            for (const auto& [mode, name] : names) {
                const ModeAnswer answer = probed.of(mode);
                const std::string what = path.name + ": " + ModeName(mode);
                if (path.name == "ppdev" && mode == PortMode::Ecp) {
                    log.expectTrue(what + " is not known (the ECR is out of reach)",
                                   answer == ModeAnswer::Unknown);
                    continue;
                }
                const bool yes = answer == ModeAnswer::Yes;
                log.expectTrue(what + " as the kernel says (" + name +
                                   (kernelHas(name) ? " listed)" : " not listed)"),
                               answer != ModeAnswer::Unknown && yes == kernelHas(name),
                               answer == ModeAnswer::Unknown ? "not known"
                               : yes                         ? "yes"
                                                             : "no");
            }
        } catch (const std::exception& error) {
            log.fail(path.name + ": the probe failed: " + Describe(error));
        }
    }
    SelectPortBackend({});
    return log.finish("modes of the port");
}

// Raw port access gone for good, root included: ppdev still reaches the
// parallel ports, and without it the refusal tells about the lockdown.
int RunLockdown(const std::string& text) {
    CheckLog log;
    log.expectTrue("debug-exit port held from before the lockdown", GrantDebugExit());
    {
        std::ofstream lockdown(kLockdownFile);
        lockdown << "integrity\n";
        lockdown.flush();
        log.expectTrue("kernel locked down", static_cast<bool>(lockdown));
    }
    const auto mode = ReadLockdownMode();
    log.expectTrue("lockdown mode reads integrity", mode == "integrity",
                   mode.value_or("none read"));
    CheckRawRefused(log);

    const GuestPath chooser{"ppdev under lockdown", ChooserPath().open};
    CheckChooser(log, "ppdev");
    CheckRegisters(log, chooser, false);
    CheckPrinting(log, chooser, text);
    SelectPortBackend({});

    const std::string away = std::string(kParportNode) + ".away";
    const bool hidden = rename(kParportNode, away.c_str()) == 0;
    log.expectTrue(std::string(kParportNode) + " taken away", hidden);
    try {
        SelectPortBackend(ChooserPath().open);
        const unsigned value = DlPortReadPortUchar(kLpt1);
        log.fail("without ppdev under lockdown 888 still read " + std::to_string(value));
    } catch (const PortError& error) {
        const std::string message = error.what();
        log.expectTrue("without ppdev the refusal tells about the lockdown",
                       message.find("lockdown") != std::string::npos &&
                           message.find("integrity") != std::string::npos,
                       message);
    }
    SelectPortBackend({});
    if (hidden) {
        rename(away.c_str(), kParportNode);
    }
    return log.finish("kernel lockdown");
}

int Usage() {
    std::fprintf(stderr,
                 "usage: portprov-guest-check direct|helper|ppdev <text> | locks | modes | "
                 "lockdown <text> <0|1> | verdict <0|1>\n");
    return 2;
}

} // namespace
} // namespace portprov::hardwaretest

int main(int argc, char** argv) {
    using namespace portprov::hardwaretest;
    const std::string_view mode = argc > 1 ? argv[1] : "";
    if (argc == 3 && mode == "direct") {
        return RunDirect(argv[2]);
    }
    if (argc == 3 && mode == "helper") {
        return RunHelper(argv[2]);
    }
    if (argc == 2 && mode == "locks") {
        return RunLocks();
    }
    if (argc == 2 && mode == "modes") {
        return RunModes();
    }
    if (argc == 3 && mode == "ppdev") {
        return RunPpdev(argv[2]);
    }
    if (argc == 4 && mode == "lockdown") {
        const std::string_view before = argv[3];
        const int failed = RunLockdown(argv[2]);
        EndEmulatorWithVerdict(before == "0" && failed == 0 ? 0 : 1);
        return 1; // only when the emulator could not be ended
    }
    if (argc == 3 && mode == "verdict") {
        const std::string_view verdict = argv[2];
        if (verdict != "0" && verdict != "1") {
            return Usage();
        }
        EndEmulatorWithVerdict(verdict == "0" ? 0 : 1);
        return 1; // only when the emulator could not be ended
    }
    return Usage();
}
