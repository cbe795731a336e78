// SPDX-License-Identifier: MIT
// The helper through pkexec in the emulated PC (portprov pkexec): the way in
// when the installed helper holds no right of its own. The guest has no
// polkit; a stand-in pkexec of the tests' own (StandInPkexec.cpp) stands for
// it once polkit has said yes, and records what it was asked to start.

#include "PkexecCheck.h"

#include "ChildWithDeadline.h"
#include "GuestPaths.h"
#include "GuestProcesses.h"
#include "HelperCheck.h"
#include "PathChecks.h"

#include "ports/PortIo.h"
#include "ports/linux/ProgramPath.h"
#include "remote/HelperLaunch.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace portprov::hardwaretest {
namespace {

using namespace std::chrono_literals;

// The helper as the package installs it, its mode given: root's, no capability.
bool InstallHelper(mode_t mode) {
    const bool plain = removexattr(kInstalledHelperPath, "security.capability") == 0 ||
                       errno == ENODATA;
    return plain && chown(kInstalledHelperPath, 0, 0) == 0 && chmod(kInstalledHelperPath, mode) == 0;
}

// The stand-in's record, its lines joined by " | ".
std::string Record() {
    std::ifstream file(kPkexecRecord);
    std::string text;
    for (std::string line; std::getline(file, line);)
        text += (text.empty() ? "" : " | ") + line;
    return file.is_open() ? text : "(none)";
}

// User 1000's program: reads 888 and 513 by the program's own chooser, as
// root read them, and checks the helper that started for it.
void ReadAsUser(CheckLog& log, const std::string& how, unsigned lpt, unsigned game) {
    RunWithDeadline(log, "user 1000, " + how, 60s, [&](CheckLog& own) {
        if (!CheckWithoutRights(own))
            return;
        try {
            SelectPortBackend(ChooserPath().open);
            own.expectEqual(how + ": 888 reads as root reads it", lpt, DlPortReadPortUchar(kLpt1));
            own.expectEqual(how + ": 513 reads as root reads it", game,
                            DlPortReadPortUchar(kGamePort));
        } catch (const std::exception& error) {
            own.fail(how + ": " + error.what());
        }
        if (const auto helper = CheckHelperOf(own, getpid())) {
            struct stat memory {};
            const std::string path = "/proc/" + std::to_string(*helper) + "/mem";
            const bool found = stat(path.c_str(), &memory) == 0;
            own.expectTrue(path + " stays root's (not dumpable)", found && memory.st_uid == 0,
                           found ? "owner " + std::to_string(memory.st_uid) : "not there");
        }
        SelectPortBackend({});
    });
}

} // namespace

int RunPkexec() {
    CheckLog log;
    struct stat pkexec {};
    log.expectTrue("/usr/bin/pkexec is setuid root",
                   stat(kPkexecPath, &pkexec) == 0 && pkexec.st_uid == 0 &&
                       (pkexec.st_mode & S_ISUID) != 0);
    log.expectTrue(std::string("the polkit action is in place: ") + kHelperPolkitAction,
                   access(kHelperPolkitAction, R_OK) == 0);
    log.expectTrue("portprov-io holds no right of its own", InstallHelper(0755));
    const auto lpt = RootRead(kLpt1);
    const auto game = RootRead(kGamePort);
    log.expectTrue("root reads 888 and 513", lpt && game);
    unlink(kPkexecRecord);
    ReadAsUser(log, "through pkexec", lpt.value_or(256), game.value_or(256));
    log.expectTrue("pkexec was asked to start exactly the installed helper",
                   Record() == kInstalledHelperPath, Record());

    // A setuid helper started by the user, who names user 1001 as the one
    // pkexec started it for: it stays with user 1000 (CheckHelperOf).
    unlink(kPkexecRecord);
    log.expectTrue("portprov-io made setuid root", InstallHelper(04755));
    setenv("PKEXEC_UID", "1001", 1);
    ReadAsUser(log, "setuid helper, PKEXEC_UID=1001", lpt.value_or(256), game.value_or(256));
    unsetenv("PKEXEC_UID");
    log.expectTrue("a helper with rights of its own is started without pkexec",
                   access(kPkexecRecord, F_OK) != 0);
    InstallHelper(0755);
    return log.finish("the helper through pkexec");
}

} // namespace portprov::hardwaretest
