// SPDX-License-Identifier: MIT
#include "ports/linux/TimeLimitedCall.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <functional>
#include <future>
#include <pthread.h>
#include <thread>
#include <unistd.h>

using portprov::CallWithTimeLimit;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Far beyond every limit below: a call still waiting by then would have
// waited for good.
constexpr auto kDeadline = 5s;

void Ignore(int) {}

// A read from an empty pipe stands in for the claim of a port another
// program holds: it waits until a byte arrives or a signal cuts it short.
class TimeLimitedCallTest : public testing::Test {
protected:
    int ends[2] = {-1, -1};

    void SetUp() override { ASSERT_EQ(::pipe(ends), 0); }
    void TearDown() override {
        ::close(ends[0]);
        ::close(ends[1]);
    }

    void putByte() {
        const char byte = 'x';
        ASSERT_EQ(::write(ends[1], &byte, 1), 1);
    }

    int readByte() {
        char byte = 0;
        return static_cast<int>(::read(ends[0], &byte, 1));
    }

    struct Outcome {
        int result = 0;
        Clock::duration took{};
    };

    // The read with limit, in a thread of its own; meanwhile runs alongside.
    // A read still waiting at the deadline is let go with a byte, so that
    // the test fails instead of hanging. beforeReading runs first, inside
    // the time limit.
    Outcome readWithin(std::chrono::milliseconds limit,
                       const std::function<void(pthread_t)>& meanwhile = {},
                       const std::function<void()>& beforeReading = {}) {
        std::promise<Outcome> done;
        std::future<Outcome> outcome = done.get_future();
        std::thread reader([&] {
            const auto start = Clock::now();
            const int result = CallWithTimeLimit(limit, [&] {
                if (beforeReading) {
                    beforeReading();
                }
                return readByte();
            });
            done.set_value({result, Clock::now() - start});
        });
        if (meanwhile) {
            meanwhile(reader.native_handle());
        }
        if (outcome.wait_for(kDeadline) != std::future_status::ready) {
            ADD_FAILURE() << "the call was still waiting after " << kDeadline.count() << " s";
            putByte();
        }
        reader.join();
        return outcome.get();
    }
};

TEST_F(TimeLimitedCallTest, AWaitIsCutShortOnceTheLimitHasPassed) {
    const Outcome outcome = readWithin(300ms);
    EXPECT_EQ(outcome.result, -ETIMEDOUT);
    EXPECT_GE(outcome.took, 300ms);
    EXPECT_LT(outcome.took, 2s);
}

TEST_F(TimeLimitedCallTest, OtherSignalsDoNotEndTheWait) {
    struct sigaction interrupting {};
    interrupting.sa_handler = Ignore; // no SA_RESTART: the read comes back with EINTR
    struct sigaction previous {};
    ASSERT_EQ(::sigaction(SIGUSR1, &interrupting, &previous), 0);

    const Outcome outcome = readWithin(600ms, [](pthread_t reader) {
        std::this_thread::sleep_for(150ms);
        pthread_kill(reader, SIGUSR1);
    });
    ::sigaction(SIGUSR1, &previous, nullptr);
    EXPECT_EQ(outcome.result, -ETIMEDOUT);
    EXPECT_GE(outcome.took, 600ms);
}

TEST_F(TimeLimitedCallTest, ALimitThatPassesBeforeTheCallWaitsStillEndsTheWait) {
    // A busy machine may run the timer out before the call has begun to
    // wait; then its signal interrupts nothing.
    const auto start = Clock::now();
    const Outcome outcome = readWithin(100ms, {}, [&] {
        while (Clock::now() - start < 300ms) {
        }
    });
    EXPECT_EQ(outcome.result, -ETIMEDOUT);
}

TEST_F(TimeLimitedCallTest, ACallThatFinishesInTimeLeavesNoTimerBehind) {
    putByte();
    EXPECT_EQ(CallWithTimeLimit(100ms, [&] { return readByte(); }), 1);
    // The timer's signal would end this process now that its handler is gone.
    std::this_thread::sleep_for(250ms);
    struct sigaction now {};
    ::sigaction(SIGALRM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL);
}

} // namespace
