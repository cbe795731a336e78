// SPDX-License-Identifier: MIT
#include "ports/linux/PpdevSystem.h"

#include "ports/linux/RetryOnInterrupt.h"
#include "ports/linux/TimeLimitedCall.h"

#include <cerrno>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace portprov {

namespace {

class Kernel : public PpdevSystem {
public:
    int open(const std::string& node) override {
        const int fd = RetryOnInterrupt([&] { return ::open(node.c_str(), O_RDWR | O_CLOEXEC); });
        return fd < 0 ? -errno : fd;
    }

    void close(int fd) override { ::close(fd); }

    int ioctl(int fd, unsigned long request, void* arg) override {
        const int result = RetryOnInterrupt([&] { return ::ioctl(fd, request, arg); });
        return result < 0 ? -errno : 0;
    }

    int claim(int fd, std::chrono::milliseconds limit) override {
        return CallWithTimeLimit(limit, [&] { return ::ioctl(fd, PPCLAIM); });
    }
};

} // namespace

std::shared_ptr<PpdevSystem> KernelPpdev() {
    return std::make_shared<Kernel>();
}

} // namespace portprov
