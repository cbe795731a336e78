// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>

namespace portprov {

// When a loop at real-time priority that would otherwise never sleep (the
// reads of a recording beside a signal, or writes closer together than it
// sleeps between) takes a short rest, so that the kernel never stops it. A
// kernel that keeps a reserve for ordinary threads (Linux: 50 ms of every
// second) stops a real-time thread that used its share for the rest of the
// second, wherever it happens to be: a hole of up to 50 ms in the signal and
// the recording. Resting a sixteenth of the time, in pieces placed before a
// write is due, keeps under the share and costs the signal nothing.
//
// A rest is owed for the time run since the last one; it is taken where the
// next write leaves room for it, and only when it is long enough to be worth
// a sleep. When no room comes for kLongestBusy (writes closer together than a
// sleep can be timed), the whole rest is taken at once, before the next
// write, once a second or so: the pause the kernel would make, but placed
// where the loop stands, never in the middle of a burst; the writes it delays
// are counted late and their periods distorted, as any stall's.
class RestBudget {
public:
    using nanoseconds = std::chrono::nanoseconds;

    static constexpr int kShare = 16; // one part rest for every kShare - 1 run
    static constexpr nanoseconds kShortestRest = std::chrono::microseconds(40);
    static constexpr nanoseconds kLongestBusy = std::chrono::milliseconds(900);
    // A sleep overshoots; the thread is back this long before the write.
    static constexpr nanoseconds kWakeEarly = std::chrono::microseconds(100);

    // Off: every rest asked for is none (a thread of ordinary priority is
    // never stopped, and a rest would give its processor away).
    explicit RestBudget(bool on = false) : on_(on) {}

    // The loop slept, or began, at `at`: nothing is owed before it.
    void rested(nanoseconds at) { since_ = at; }

    // How long to rest at `at` with the next write due at `nextWrite`
    // (nanoseconds::max() for none): zero for no rest now.
    nanoseconds restAt(nanoseconds at, nanoseconds nextWrite) const {
        if (!on_ || at <= since_)
            return {};
        const nanoseconds owed = (at - since_) / (kShare - 1);
        if (owed < kShortestRest)
            return {};
        const nanoseconds room =
            nextWrite == nanoseconds::max() ? owed : nextWrite - at - kWakeEarly;
        if (room >= kShortestRest)
            return std::min(owed, room);
        return at - since_ >= kLongestBusy ? owed : nanoseconds{};
    }

private:
    bool on_;
    nanoseconds since_{};
};

} // namespace portprov
