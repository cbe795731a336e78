// SPDX-License-Identifier: MIT
#pragma once

namespace portprov {

// Real-time priority and locked memory for the thread that makes a signal's
// writes, for as long as the object lives, where the system grants them: a
// thread of ordinary priority is put aside for milliseconds when another
// wants the processor, and a page fault in the middle of a wave costs as
// much. Neither is needed to run; each is asked for once, and what was
// granted is said (a user can then give the program the rights, or not).
// The thread's scheduling and the memory lock are given back at the end.
// POSIX; elsewhere nothing is granted.
class RealTimeRun {
public:
    // Whether the kernel stops a real-time thread that never sleeps for part
    // of every period (Linux: sched_rt_runtime_us below sched_rt_period_us,
    // by default 50 ms a second): such a thread then fares worse than one of
    // ordinary priority.
    static bool KernelStopsBusyThreads();

    explicit RealTimeRun(bool ask = true);
    ~RealTimeRun();
    RealTimeRun(const RealTimeRun&) = delete;
    RealTimeRun& operator=(const RealTimeRun&) = delete;

    bool priority() const { return priority_; }
    bool memoryLocked() const { return memoryLocked_; }

private:
    bool priority_ = false;
    bool memoryLocked_ = false;
    int previousPolicy_ = 0;
    int previousPriority_ = 0;
};

} // namespace portprov
