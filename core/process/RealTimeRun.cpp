// SPDX-License-Identifier: MIT
#include "process/RealTimeRun.h"

#include <fstream>

#if !defined(_WIN32)
#include <pthread.h>
#include <sched.h>
#include <sys/mman.h>
#endif

namespace portprov {

#if !defined(_WIN32)

namespace {

// Low among the real-time priorities: above every ordinary thread, below the
// kernel's own interrupt threads, which a port's driver may need.
constexpr int kPriority = 10;

} // namespace

bool RealTimeRun::KernelStopsBusyThreads() {
    long runtime = -1;
    long period = 0;
    std::ifstream("/proc/sys/kernel/sched_rt_runtime_us") >> runtime;
    std::ifstream("/proc/sys/kernel/sched_rt_period_us") >> period;
    return runtime >= 0 && runtime < period;
}

RealTimeRun::RealTimeRun(bool ask) {
    if (!ask)
        return;
    sched_param previous{};
    if (pthread_getschedparam(pthread_self(), &previousPolicy_, &previous) == 0) {
        previousPriority_ = previous.sched_priority;
        sched_param wanted{};
        wanted.sched_priority = kPriority;
        priority_ = pthread_setschedparam(pthread_self(), SCHED_FIFO, &wanted) == 0;
    }
    // What is mapped now: the schedule, the stacks and the recording's
    // first pages. A recording that grows past them may still fault.
    memoryLocked_ = mlockall(MCL_CURRENT) == 0;
}

RealTimeRun::~RealTimeRun() {
    if (priority_) {
        sched_param previous{};
        previous.sched_priority = previousPriority_;
        pthread_setschedparam(pthread_self(), previousPolicy_, &previous);
    }
    if (memoryLocked_)
        munlockall();
}

#else

bool RealTimeRun::KernelStopsBusyThreads() {
    return false;
}

RealTimeRun::RealTimeRun(bool /*ask*/) {}
RealTimeRun::~RealTimeRun() = default;

#endif

} // namespace portprov
