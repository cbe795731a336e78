// SPDX-License-Identifier: MIT
#include "ChildWithDeadline.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace portprov::hardwaretest {

namespace {

// What a process that does not come back is doing, for the log.
std::string WhereProcessWaits(pid_t pid) {
    std::string where;
    const std::string proc = "/proc/" + std::to_string(pid);
    std::ifstream wchan(proc + "/wchan");
    std::string function;
    std::getline(wchan, function);
    where += "waiting in " + (function.empty() ? std::string("?") : function);
    std::ifstream status(proc + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("Sig", 0) == 0 || line.rfind("ShdPnd", 0) == 0) {
            where += "; " + line;
        }
    }
    return where;
}

} // namespace

void RunWithDeadline(CheckLog& log, const std::string& what, std::chrono::seconds limit,
                     const std::function<void(CheckLog&)>& check) {
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        setpgid(0, 0);
        CheckLog own;
        check(own);
        std::_Exit(own.failures() == 0 ? 0 : 1);
    }
    if (child < 0) {
        log.fail(what + ": fork: " + std::strerror(errno));
        return;
    }
    setpgid(child, child);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    pid_t done = 0;
    while ((done = waitpid(child, &status, WNOHANG)) == 0 &&
           std::chrono::steady_clock::now() < deadline) {
        usleep(50000);
    }
    if (done == 0) {
        const std::string where = WhereProcessWaits(child);
        kill(-child, SIGKILL);
        waitpid(child, &status, 0);
        log.fail(what + ": still waiting after " + std::to_string(limit.count()) + " s, " + where);
        return;
    }
    log.expectTrue(what + ": every check passed", WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

} // namespace portprov::hardwaretest
