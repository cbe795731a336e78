// SPDX-License-Identifier: MIT
#include "PrinterDriverCheck.h"

#include "GuestPaths.h"
#include "GuestProcesses.h"
#include "PathChecks.h"

#include "ports/PortIo.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <grp.h>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace portprov::hardwaretest {
namespace {

// What the program beside lp writes to 890 and expects to find there after lp
// printed: auto feed and init.
constexpr std::uint8_t kControlKept = 0x06;

// Drops to user 1000 in group lp, as BecomeLpUser does, in a child process.
bool DropToLpUser() {
    const gid_t groups[] = {kLpGroup};
    return setgroups(1, groups) == 0 && setgid(kLpGroup) == 0 && setuid(kUnprivilegedUser) == 0;
}

} // namespace

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

} // namespace portprov::hardwaretest
