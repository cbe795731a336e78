// SPDX-License-Identifier: MIT
#pragma once

#include "generating/Generator.h"
#include "generating/LatenessTally.h"
#include "generating/RestBudget.h"
#include "generating/WriteSchedule.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <optional>
#include <ratio>
#include <thread>

namespace portprov {

// Makes a WriteSchedule's writes at their due times, counted from one zero on
// a monotonic clock (Now). Alone it waits for each write itself (run); beside
// a recording, the recorder's loop asks it between its rounds (writeNext,
// writeDue), so that both keep one clock on one thread. A template, so that
// the clock and the port's write are called directly: writes already due go
// out in a burst with no clock reading between them, which is what lets the
// loop keep up with a bare write loop when the wave is faster than the port.
//
// A write's period came out distorted when a step of it (the time from one
// write to the next, a half-period of a square wave) was made more than a
// tenth longer or shorter than planned: after a stall the late writes go out
// back to back, and what a wire then shows is glitches, not the wave. Writes
// of a burst are timed together, by the clock reading after it. So that a
// stall does not end in such glitches, at real-time priority a late write
// waits until kCatchUp of its step has gone by since the write before it:
// the wave catches up over the steps that follow, each at least that long.
// Not at ordinary priority: there the stalls come every few tens of
// milliseconds on a busy machine, and a wave that catches up that slowly
// would fall behind for good and last longer than asked. Steps shorter than
// kSpacedFrom are the port's own pace and go out in bursts as they come.
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
    // A step's shortest length when the wave catches up after a stall.
    using kCatchUp = std::ratio<5, 8>;
    static constexpr nanoseconds kSpacedFrom = std::chrono::microseconds(10);

    SignalLoop(WriteSchedule& schedule, Now now, Write write, const std::atomic<bool>& stop,
               std::atomic<double>& progress)
        : schedule_(schedule), now_(now), write_(write), stop_(stop), progress_(progress),
          tally_(schedule.lateAfter()) {
        if (!schedule_.done())
            next_ = schedule_.next();
    }

    // Write 0 is due at zero.
    void startAt(nanoseconds zero) {
        zero_ = zero;
        rests_.rested(zero);
    }
    // Whether the loop rests now and then (RestBudget): at real-time priority
    // on a kernel that stops busy real-time threads.
    void restNowAndThen(bool on) { rests_ = RestBudget(on); }
    // Whether a late write waits for kCatchUp of its step (real-time priority).
    void catchUpSpaced(bool on) { spaced_ = on; }
    bool active() const { return !schedule_.done(); }
    // When the next write is to be made: its due time, or later after a
    // late write (kCatchUp).
    nanoseconds nextDue() const {
        const nanoseconds due = plannedDue();
        const nanoseconds planned = due - lastPlanned_;
        if (!spaced_ || !stepped_ || planned < kSpacedFrom)
            return due;
        return std::max(due, lastAt_ + planned * kCatchUp::num / kCatchUp::den);
    }

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
        std::array<bool, kBurst> begins{};
        std::size_t burst = 0;
        while (burst < kBurst && active() && nextDue() <= at &&
               plannedDue() - lastPlanned_ < kSpacedFrom) {
            begins[burst] = schedule_.beginsPeriod();
            dues[burst++] = make(std::nullopt);
        }
        if (burst > 0) {
            const nanoseconds after = now_();
            for (std::size_t i = 0; i < burst; ++i) {
                tally_.add(after - dues[i]);
                step(dues[i], after, begins[i]);
            }
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

    // Takes the rest owed, if any, at `at`, ending before the next write.
    // Returns the clock reading after it (`at` without one).
    nanoseconds rest(nanoseconds at) {
        if constexpr (kMaySleep) {
            const nanoseconds next = active() ? nextDue() : nanoseconds::max();
            if (const nanoseconds length = rests_.restAt(at, next); length > nanoseconds{}) {
                std::this_thread::sleep_for(length);
                at = now_();
                rests_.rested(at);
            }
        }
        return at;
    }

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
        stats.distortedPeriods = distorted_ + (periodDistorted_ ? 1 : 0);
        stats.stopped = active();
        return stats;
    }

private:
    // Writes the next write; its lateness is counted here when `at` times
    // it, else by the caller. Returns its due time.
    nanoseconds plannedDue() const { return zero_ + next_.due; }

    nanoseconds make(std::optional<nanoseconds> at) {
        const nanoseconds due = plannedDue();
        lastPlanned_ = due;
        const bool begins = schedule_.beginsPeriod();
        write_(next_.port, next_.value);
        schedule_.advance();
        if (!schedule_.done())
            next_ = schedule_.next();
        if (at) {
            tally_.add(*at - due);
            step(due, *at, begins);
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

    // The write due at `due` was made at `at`: the step it ends is checked
    // against its plan, and the period it ends closed when it begins one.
    // Writes due together (two registers) are one step.
    void step(nanoseconds due, nanoseconds at, bool begins) {
        if (stepped_ && due > lastDue_) {
            const nanoseconds planned = due - lastDue_;
            const nanoseconds made = at - lastAt_;
            if ((made > planned ? made - planned : planned - made) * 10 > planned)
                periodDistorted_ = true;
        }
        if (begins) {
            distorted_ += periodDistorted_ ? 1 : 0;
            periodDistorted_ = false;
        }
        if (!stepped_ || due > lastDue_) {
            lastDue_ = due;
            lastAt_ = at;
            stepped_ = true;
        }
    }

    // A write that catches up (due later than planned) is already late: its
    // wait is spun, as a sleep that overshoots (by milliseconds on an idle
    // virtual machine) would make it later still, and the next with it.
    std::optional<nanoseconds> waitUntil(nanoseconds due) {
        const bool catchingUp = due > plannedDue();
        nanoseconds at = catchingUp ? now_() : rest(now_());
        while (at < due) {
            if (stopped())
                return std::nullopt;
            if constexpr (kMaySleep) {
                if (!catchingUp && due - at > kSleepAbove) {
                    std::this_thread::sleep_for(std::min(due - at - kWakeEarly, kLongestSleep));
                    rests_.rested(now_());
                }
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
    RestBudget rests_;
    bool spaced_ = false;
    // The last step's write (the first of writes due together): due, made.
    bool stepped_ = false;
    nanoseconds lastDue_{};
    nanoseconds lastAt_{};
    nanoseconds lastPlanned_{}; // the due time of the last write made
    bool periodDistorted_ = false; // the current period has a distorted step
    std::uint64_t distorted_ = 0;  // periods closed distorted
};

} // namespace portprov
