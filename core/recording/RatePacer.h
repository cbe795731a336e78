// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <cmath>
#include <cstdint>
#include <thread>

namespace portprov {

// A schedule of steps at a fixed rate: step k is due at the first step's
// time plus k periods, counted from the first each time so that no error
// adds up over the steps. A step that begins more than a period after its due
// time is late; the schedule does not move for it, so the steps after it
// catch up and none is left out or added. Shared by whatever reads or writes
// a port in time (the recorder's rounds).
class RatePacer {
public:
    using nanoseconds = std::chrono::nanoseconds;

    // The thread sleeps while the next step is further off than kSleepAbove,
    // and wakes kWakeEarly early: the kernel's sleeps overshoot by tens of
    // microseconds, and the last stretch is waited out on the clock.
    static constexpr nanoseconds kSleepAbove = std::chrono::microseconds(200);
    static constexpr nanoseconds kWakeEarly = std::chrono::microseconds(100);

    // `rate`: steps a second, above zero.
    explicit RatePacer(double rate) : rate_(rate), period_(after(1)) {}

    // Step 0 is due at `first`.
    void startAt(nanoseconds first) { first_ = first; }
    nanoseconds due(std::uint64_t k) const { return first_ + after(k); }
    nanoseconds period() const { return period_; }
    // Whether a step due at `due` that began at `began` was late.
    bool late(nanoseconds due, nanoseconds began) const { return began - due > period_; }

    // Waits on `now` (a clock returning nanoseconds) until `due`, sleeping
    // when kMaySleep (a real clock) and the time is long enough.
    template <bool kMaySleep, typename Now> static void waitUntil(nanoseconds due, Now& now) {
        for (nanoseconds at = now(); at < due; at = now()) {
            if constexpr (kMaySleep) {
                if (due - at > kSleepAbove)
                    std::this_thread::sleep_for(due - at - kWakeEarly);
            }
        }
    }

private:
    nanoseconds after(std::uint64_t k) const {
        return nanoseconds(std::llround(static_cast<double>(k) * 1e9 / rate_));
    }

    double rate_;
    nanoseconds period_;
    nanoseconds first_{};
};

} // namespace portprov
