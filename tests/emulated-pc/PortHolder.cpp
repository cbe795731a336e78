// SPDX-License-Identifier: MIT
#include "PortHolder.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace portprov::hardwaretest {

namespace {

// In the child: 0 once the port is held, else the errno and the step.
int HoldPort(const std::string& node, PortHolder::Claim claim, const char** step) {
    *step = "open";
    const int fd = ::open(node.c_str(), O_RDWR);
    if (fd < 0) {
        return errno;
    }
    if (claim == PortHolder::Claim::Exclusive) {
        *step = "PPEXCL";
        if (::ioctl(fd, PPEXCL) != 0) {
            return errno;
        }
    }
    *step = "PPCLAIM";
    return ::ioctl(fd, PPCLAIM) == 0 ? 0 : errno;
}

} // namespace

PortHolder::PortHolder(const std::string& node, Claim claim) {
    int ends[2];
    if (::pipe(ends) != 0) {
        error_ = std::string("pipe: ") + std::strerror(errno);
        return;
    }
    std::fflush(stdout);
    child_ = ::fork();
    if (child_ == 0) {
        ::close(ends[0]);
        const char* step = "";
        const int error = HoldPort(node, claim, &step);
        char report[128];
        const int length = std::snprintf(report, sizeof report, "%s: %s", step,
                                         error == 0 ? "" : std::strerror(error));
        static_cast<void>(
            ::write(ends[1], report, static_cast<std::size_t>(error == 0 ? 0 : length)));
        ::close(ends[1]);
        if (error != 0) {
            std::_Exit(1);
        }
        for (;;) {
            ::pause(); // holds the port until it is killed
        }
    }
    ::close(ends[1]);
    if (child_ < 0) {
        error_ = std::string("fork: ") + std::strerror(errno);
        ::close(ends[0]);
        return;
    }
    // The child closes its end once it holds the port; a report means it failed.
    char report[128] = {};
    const ssize_t length = ::read(ends[0], report, sizeof report - 1);
    ::close(ends[0]);
    if (length != 0) {
        error_ = length > 0 ? std::string(report) : "no word from the holder";
    }
}

PortHolder::~PortHolder() {
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        int status = 0;
        ::waitpid(child_, &status, 0);
    }
}

} // namespace portprov::hardwaretest
