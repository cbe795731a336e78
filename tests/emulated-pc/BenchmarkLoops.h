// SPDX-License-Identifier: MIT
// The timing loops of the guest's port benchmark (GuestBenchmark.cpp): a
// loop of one operation timed whole, sized to run for about kRunLength, and
// a bare loop and ours run in turn so that a change in the machine's load
// hits both alike.
#pragma once

#include <algorithm>
#include <array>
#include <chrono>
#include <cstddef>
#include <functional>

namespace guest_bench {

using Clock = std::chrono::steady_clock;

constexpr int kRuns = 9;
constexpr std::chrono::nanoseconds kRunLength = std::chrono::milliseconds(40);

template <typename Op> double NanosecondsPerOp(Op& op, long iterations) {
    const auto start = Clock::now();
    for (long i = 0; i < iterations; ++i) {
        op(i);
    }
    const std::chrono::nanoseconds spent = Clock::now() - start;
    return static_cast<double>(spent.count()) / static_cast<double>(iterations);
}

// Iterations for a run of about kRunLength.
template <typename Op> long Calibrate(Op& op) {
    long iterations = 16;
    double perOp = NanosecondsPerOp(op, iterations);
    while (perOp * static_cast<double>(iterations) <
           0.2 * static_cast<double>(kRunLength.count())) {
        iterations *= 4;
        perOp = NanosecondsPerOp(op, iterations);
    }
    return std::max(16L, static_cast<long>(static_cast<double>(kRunLength.count()) / perOp));
}

template <std::size_t N> double Median(std::array<double, N> values) {
    std::sort(values.begin(), values.end());
    return values[N / 2];
}

// How to get a path ready for its timed loop, and to let go of it after
// (ppdev lets only one open file claim the port at a time).
struct Setup {
    std::function<void()> enter;
    std::function<void()> leave;
};

struct Timing {
    double bare = 0;
    double ours = 0;
    double overhead = 0; // percent, the median of the runs' own ratios
};

// Runs the bare loop and ours in turn, kRuns times, so that a change in the
// machine's load hits both alike.
template <typename BareOp, typename OursOp>
Timing MeasurePair(BareOp bareOp, const Setup& bare, OursOp oursOp, const Setup& ours) {
    bare.enter();
    const long bareIterations = Calibrate(bareOp);
    bare.leave();
    ours.enter();
    const long oursIterations = Calibrate(oursOp);
    ours.leave();

    std::array<double, kRuns> bareRuns{};
    std::array<double, kRuns> oursRuns{};
    std::array<double, kRuns> ratios{};
    for (int run = 0; run < kRuns; ++run) {
        bare.enter();
        bareRuns[run] = NanosecondsPerOp(bareOp, bareIterations);
        bare.leave();
        ours.enter();
        oursRuns[run] = NanosecondsPerOp(oursOp, oursIterations);
        ours.leave();
        ratios[run] = oursRuns[run] / bareRuns[run];
    }
    return {Median(bareRuns), Median(oursRuns), (Median(ratios) - 1.0) * 100.0};
}

} // namespace guest_bench
