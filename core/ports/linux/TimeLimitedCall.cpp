// SPDX-License-Identifier: MIT
#include "ports/linux/TimeLimitedCall.h"

#include <cerrno>
#include <csignal>
#include <ctime>
#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace portprov {

namespace {

// The signal that cuts a call short. Its handler does nothing: the signal
// only makes the kernel give up waiting, and the call return EINTR.
constexpr int kTimeoutSignal = SIGALRM;

// How soon the timer fires again once the limit has passed.
constexpr std::chrono::milliseconds kReminder{50};

void IgnoreTimeout(int) {}

timespec TimeSpec(std::chrono::milliseconds span) {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(span);
    timespec result{};
    result.tv_sec = static_cast<time_t>(seconds.count());
    result.tv_nsec = static_cast<long>(std::chrono::nanoseconds(span - seconds).count());
    return result;
}

} // namespace

int CallWithTimeLimit(std::chrono::milliseconds limit, const std::function<int()>& call) {
    struct sigaction quiet {};
    quiet.sa_handler = IgnoreTimeout;
    sigemptyset(&quiet.sa_mask);
    quiet.sa_flags = 0; // no SA_RESTART: the call must come back
    struct sigaction previous {};
    if (::sigaction(kTimeoutSignal, &quiet, &previous) != 0) {
        return -errno;
    }
    sigset_t timeoutOnly;
    sigemptyset(&timeoutOnly);
    sigaddset(&timeoutOnly, kTimeoutSignal);
    sigset_t previousMask;
    pthread_sigmask(SIG_UNBLOCK, &timeoutOnly, &previousMask);

    sigevent event{};
    event.sigev_notify = SIGEV_THREAD_ID;
    event.sigev_signo = kTimeoutSignal;
    event._sigev_un._tid = static_cast<pid_t>(::syscall(SYS_gettid));
    timer_t timer{};
    const bool timed = ::timer_create(CLOCK_MONOTONIC, &event, &timer) == 0;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    if (timed) {
        // After the limit the timer keeps firing: a signal that came before
        // the call began to wait interrupted nothing, the next one will.
        itimerspec times{};
        times.it_value = TimeSpec(limit);
        times.it_interval = TimeSpec(kReminder);
        ::timer_settime(timer, 0, &times, nullptr);
    }

    // Another signal may cut the wait short too; only the limit ends it.
    int result = -1;
    int error = 0;
    bool expired = false;
    do {
        result = call();
        error = result < 0 ? errno : 0;
        expired = error == EINTR && timed && std::chrono::steady_clock::now() >= deadline;
    } while (error == EINTR && !expired);

    if (timed) {
        ::timer_delete(timer);
    }
    pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    ::sigaction(kTimeoutSignal, &previous, nullptr);

    if (result >= 0) {
        return result;
    }
    return expired ? -ETIMEDOUT : -error;
}

} // namespace portprov
