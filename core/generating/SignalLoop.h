// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Generator.h"
#include "generating/LatenessTally.h"
#include "generating/WriteSchedule.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

namespace portprov {

// Makes a WriteSchedule's writes at their due times, counted from one zero on
// a monotonic clock (Now). Alone it waits for each write itself (run); beside
// a recording, the recorder's loop asks it between its rounds (writeNext,
// writeDue), so that both keep one clock on one thread. A template, so that
// the clock and the port's write are called directly: writes already due go
// out in a burst with no clock reading between them, which is what lets the
// loop keep up with a bare write loop when the wave is faster than the port.
template <typename Now, typename Write, bool kMaySleep> class SignalLoop {
public:
    using nanoseconds = std::chrono::nanoseconds;

    // The longest burst of writes made without looking at the clock.
    static constexpr std::size_t kBurst = 32;
    // Sleeps are cut into pieces this long at most, so that stop is seen soon
    // while a slow wave waits.
    static constexpr nanoseconds kLongestSleep = std::chrono::milliseconds(20);
    // The thread sleeps while the next write is further off than kSleepAbove
    // and wakes kWakeEarly before it: the kernel's sleeps overshoot by tens
    // of microseconds, and the last stretch is waited out on the clock.
    static constexpr nanoseconds kSleepAbove = std::chrono::microseconds(200);
    static constexpr nanoseconds kWakeEarly = std::chrono::microseconds(100);

    SignalLoop(WriteSchedule& schedule, Now now, Write write, const std::atomic<bool>& stop,
               std::atomic<double>& progress)
        : schedule_(schedule), now_(now), write_(write), stop_(stop), progress_(progress),
          tally_(schedule.lateAfter()) {
        if (!schedule_.done())
            next_ = schedule_.next();
    }

    // Write 0 is due at zero.
    void startAt(nanoseconds zero) { zero_ = zero; }
    bool active() const { return !schedule_.done(); }
    nanoseconds nextDue() const { return zero_ + next_.due; }

    // Alone: each write at its time, to the end or until stop.
    void run() {
        startAt(now_());
        while (active() && !stopped())
            writeNext();
    }

    // Waits for the next write's due time, then makes it and any others due
    // by then. Returns early, writing nothing, when stop comes first.
    void writeNext() {
        if (const std::optional<nanoseconds> at = waitUntil(nextDue()))
            writeDue(*at);
    }

    // Makes every write due by `at`, a clock reading just taken: the first at
    // once, timed by `at`; those due with it or already late after it in a
    // burst, timed by one clock reading after the burst, an upper bound.
    void writeDue(nanoseconds at) {
        if (!active() || nextDue() > at)
            return;
        make(at);
        std::array<nanoseconds, kBurst> dues{};
        std::size_t burst = 0;
        while (burst < kBurst && active() && nextDue() <= at)
            dues[burst++] = make(std::nullopt);
        if (burst > 0) {
            const nanoseconds after = now_();
            for (std::size_t i = 0; i < burst; ++i)
                tally_.add(after - dues[i]);
            if (pendingPeriods_ > 0) {
                if (periods_ == 0)
                    firstPeriod_ = after;
                periods_ += pendingPeriods_;
                lastPeriod_ = after;
                pendingPeriods_ = 0;
            }
        }
        progress_.store(static_cast<double>(schedule_.position()) /
                            static_cast<double>(std::max<std::uint64_t>(1, schedule_.total())),
                        std::memory_order_relaxed);
    }

    bool stopped() const { return stop_.load(std::memory_order_relaxed); }

    GeneratorStats stats() const {
        GeneratorStats stats;
        stats.writes = tally_.writes();
        stats.periods = periods_;
        if (periods_ >= 2 && schedule_.rate() > 0.0 && lastPeriod_ > firstPeriod_)
            stats.achievedHz = static_cast<double>(periods_ - 1) /
                               std::chrono::duration<double>(lastPeriod_ - firstPeriod_).count();
        stats.worstLateness = tally_.worst();
        stats.medianLateness = tally_.median();
        stats.lateWrites = tally_.late();
        stats.stopped = active();
        return stats;
    }

private:
    // Writes the next write; its lateness is counted here when `at` times
    // it, else by the caller. Returns its due time.
    nanoseconds make(std::optional<nanoseconds> at) {
        const nanoseconds due = nextDue();
        const bool begins = schedule_.beginsPeriod();
        write_(next_.port, next_.value);
        schedule_.advance();
        if (!schedule_.done())
            next_ = schedule_.next();
        if (at) {
            tally_.add(*at - due);
            if (begins)
                notePeriod(*at);
        } else if (begins) {
            ++pendingPeriods_;
        }
        return due;
    }

    void notePeriod(nanoseconds at) {
        if (periods_++ == 0)
            firstPeriod_ = at;
        lastPeriod_ = at;
    }

    std::optional<nanoseconds> waitUntil(nanoseconds due) {
        nanoseconds at = now_();
        while (at < due) {
            if (stopped())
                return std::nullopt;
            if constexpr (kMaySleep) {
                if (due - at > kSleepAbove)
                    std::this_thread::sleep_for(std::min(due - at - kWakeEarly, kLongestSleep));
            }
            at = now_();
        }
        return at;
    }

    WriteSchedule& schedule_;
    Now now_;
    Write write_;
    const std::atomic<bool>& stop_;
    std::atomic<double>& progress_;
    LatenessTally tally_;
    TimedWrite next_{};
    nanoseconds zero_{};
    std::uint64_t periods_ = 0;
    nanoseconds firstPeriod_{};
    nanoseconds lastPeriod_{};
    std::uint64_t pendingPeriods_ = 0; // begun in a burst, timed after it
};

} // namespace portprov
