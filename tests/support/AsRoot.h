// SPDX-License-Identifier: MIT
#pragma once

#include <fcntl.h>
#include <functional>
#include <optional>
#include <sched.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

// Runs check in a forked child as root: the real one when the test runs as
// root, else root of a user namespace of the child's own, where the test's
// user is 0 and no other user or group exists. check gives "" when all is
// well, else what was wrong. Empty when this machine grants no user
// namespace (the test then skips).
inline std::optional<std::string> AsRoot(const std::function<std::string()>& check) {
    int pipe[2];
    if (::pipe(pipe) != 0)
        return "no pipe";
    const uid_t user = ::geteuid();
    const gid_t group = ::getegid();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipe[0]);
        const auto put = [](const char* path, const std::string& text) {
            const int fd = ::open(path, O_WRONLY);
            const bool ok = fd >= 0 && ::write(fd, text.data(), text.size()) ==
                                           static_cast<ssize_t>(text.size());
            ::close(fd);
            return ok;
        };
        if (user != 0 && (::unshare(CLONE_NEWUSER) != 0 || !put("/proc/self/setgroups", "deny") ||
                          !put("/proc/self/uid_map", "0 " + std::to_string(user) + " 1") ||
                          !put("/proc/self/gid_map", "0 " + std::to_string(group) + " 1")))
            ::_exit(77);
        const std::string fault = check();
        const ssize_t written = ::write(pipe[1], fault.data(), fault.size());
        ::_exit(written == static_cast<ssize_t>(fault.size()) ? 0 : 1);
    }
    ::close(pipe[1]);
    std::string fault;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
        fault.append(buffer, static_cast<std::size_t>(n));
    ::close(pipe[0]);
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child)
        return "no child";
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77)
        return std::nullopt;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return fault + " (the child ended with status " + std::to_string(status) + ")";
    return fault;
}
