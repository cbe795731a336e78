// SPDX-License-Identifier: MIT
#include "generating/RestBudget.h"
#include "generating/SignalLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

namespace {

struct Stalled {
    GeneratorStats stats;
    std::vector<nanoseconds> at; // when each write went out
    nanoseconds shortestStep() const {
        nanoseconds shortest = nanoseconds::max();
        for (std::size_t i = 1; i < at.size(); ++i)
            shortest = std::min(shortest, at[i] - at[i - 1]);
        return shortest;
    }
};

// A 1 kHz square wave for 10 ms on a clock that moves 100 ns a look and,
// once 2.2 ms have gone by, stands still for `stall` (the thread lost its
// processor): the writes due in the meantime are late.
Stalled RunWithStall(nanoseconds stall, bool spaced) {
    WriteSchedule schedule(SquareWave{{2}, 1000.0, 50.0, 10ms}, 888, 0, 0);
    nanoseconds time{};
    bool stalled = false;
    const auto now = [&] {
        time += 100ns;
        if (!stalled && time > 2200us) {
            stalled = true;
            time += stall;
        }
        return time;
    };
    Stalled run;
    const auto write = [&](std::uint16_t, std::uint8_t) { run.at.push_back(time); };
    std::atomic<bool> stop{false};
    std::atomic<double> progress{0.0};
    SignalLoop<decltype(now), decltype(write), false> loop(schedule, now, write, stop, progress);
    loop.catchUpSpaced(spaced);
    loop.run();
    run.stats = loop.stats();
    return run;
}

} // namespace

TEST(SignalLoop, AStallDistortsPeriodsAndAtRealTimeTheWaveCatchesUpWithoutGlitches) {
    struct Case {
        nanoseconds stall;
        bool spaced;
        bool distorted;
        nanoseconds shortestAtLeast, shortestBelow;
    };
    const Case cases[] = {
        {0ns, true, false, 499us, 501us},
        // Three writes came due in the stall: back to back they are glitches.
        {1600us, false, true, 0ns, 1us},
        // Spaced, none is shorter than 5/8 of its 500 µs step.
        {1600us, true, true, 312us, 313us},
    };
    for (const Case& c : cases) {
        const Stalled run = RunWithStall(c.stall, c.spaced);
        SCOPED_TRACE(::testing::Message() << c.stall.count() << " ns, spaced " << c.spaced);
        EXPECT_EQ(run.at.size(), 20u);
        EXPECT_EQ(run.stats.periods, 10u);
        EXPECT_EQ(run.stats.distortedPeriods > 0, c.distorted);
        EXPECT_LE(run.stats.distortedPeriods, 4u);
        EXPECT_GE(run.shortestStep(), c.shortestAtLeast);
        EXPECT_LT(run.shortestStep(), c.shortestBelow);
    }
}

TEST(RestBudget, RestsASixteenthBeforeTheNextWriteAndOnlyThenOrWhenLongOverdue) {
    struct Case {
        bool on;
        nanoseconds busy;      // since the last rest
        nanoseconds nextWrite; // from now; max: none
        nanoseconds rest;
    };
    constexpr nanoseconds kNone = nanoseconds::max();
    const Case cases[] = {
        {false, 1500us, 2ms, 0ns},   // ordinary priority: never
        {true, 1500us, 2ms, 100us},  // a fifteenth of the time run
        {true, 1500us, kNone, 100us}, // no write left
        {true, 1500us, 150us, 50us}, // up to the wake-up before the write
        {true, 1500us, 120us, 0ns},  // no room worth a sleep
        {true, 450us, 2ms, 0ns},     // too little owed to be worth one
        {true, 930ms, 120us, 62ms},  // no room for too long: taken anyway
    };
    for (const Case& c : cases) {
        RestBudget budget(c.on);
        const nanoseconds at = 1s;
        budget.rested(at - c.busy);
        const nanoseconds next = c.nextWrite == kNone ? kNone : at + c.nextWrite;
        EXPECT_EQ(budget.restAt(at, next), c.rest) << c.busy.count() << " " << c.nextWrite.count();
    }
}
