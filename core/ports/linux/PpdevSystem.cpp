// SPDX-License-Identifier: MIT
#include "ports/linux/PpdevSystem.h"

#include "ports/linux/RetryOnInterrupt.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <linux/ppdev.h>
#include <pthread.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace portprov {

namespace {

// The signal that cuts a claim short. Its handler does nothing: the signal
// only makes the kernel give up waiting, and the ioctl return EINTR.
constexpr int kClaimTimeoutSignal = SIGALRM;

void IgnoreClaimTimeout(int) {}

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
        // A timer aimed at this thread alone interrupts the wait.
        struct sigaction quiet {};
        quiet.sa_handler = IgnoreClaimTimeout;
        sigemptyset(&quiet.sa_mask);
        quiet.sa_flags = 0; // no SA_RESTART: the ioctl must come back
        struct sigaction previous {};
        if (::sigaction(kClaimTimeoutSignal, &quiet, &previous) != 0) {
            return -errno;
        }
        sigset_t timeoutOnly;
        sigemptyset(&timeoutOnly);
        sigaddset(&timeoutOnly, kClaimTimeoutSignal);
        sigset_t previousMask;
        pthread_sigmask(SIG_UNBLOCK, &timeoutOnly, &previousMask);

        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = kClaimTimeoutSignal;
        event._sigev_un._tid = static_cast<pid_t>(::syscall(SYS_gettid));
        timer_t timer{};
        const bool timed = ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0;
        if (timed) {
            itimerspec deadline{};
            const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(limit);
            deadline.it_value.tv_sec = static_cast<time_t>(seconds.count());
            deadline.it_value.tv_nsec =
                static_cast<long>(std::chrono::nanoseconds(limit - seconds).count());
            ::timer_settime(timer, 0, &deadline, nullptr);
        }

        // Another signal may cut the wait short too; only the timer's ends it.
        int result = -1;
        int error = 0;
        bool expired = false;
        do {
            result = ::ioctl(fd, PPCLAIM);
            error = result < 0 ? errno : 0;
            if (error == EINTR && timed) {
                itimerspec left{};
                ::timer_gettime(timer, &left);
                expired = left.it_value.tv_sec == 0 && left.it_value.tv_nsec == 0;
            }
        } while (error == EINTR && !expired);

        if (timed) {
            ::timer_delete(timer);
        }
        pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
        ::sigaction(kClaimTimeoutSignal, &previous, nullptr);

        if (result == 0) {
            return 0;
        }
        return expired ? -ETIMEDOUT : -error;
    }
};

} // namespace

std::shared_ptr<PpdevSystem> KernelPpdev() {
    return std::make_shared<Kernel>();
}

} // namespace portprov
