// SPDX-License-Identifier: MIT
// Ctrl+C, Ctrl+\, kill and a closed terminal during a sequence: held back
// while it runs, handed on once, and only once, when it has put the port back.
#include "process/DeferredTerminationSignals.h"

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <optional>

namespace portprov {
namespace {

constexpr std::array<int, 4> kSignals{SIGINT, SIGQUIT, SIGTERM, SIGHUP};

volatile std::sig_atomic_t gDelivered[NSIG] = {};

extern "C" void CountSignal(int signal) {
    gDelivered[signal] = gDelivered[signal] + 1;
}

// The program's own handlers stand in for what the signals would do: each
// delivery is counted instead of ending the test.
class HeldSignals : public testing::Test {
protected:
    void SetUp() override {
        for (std::size_t i = 0; i < kSignals.size(); ++i) {
            gDelivered[kSignals[i]] = 0;
            struct sigaction counting {};
            counting.sa_handler = CountSignal;
            sigemptyset(&counting.sa_mask);
            sigaction(kSignals[i], &counting, &before_[i]);
        }
    }
    void TearDown() override {
        DeferredTerminationSignals::forgetNoted();
        for (std::size_t i = 0; i < kSignals.size(); ++i)
            sigaction(kSignals[i], &before_[i], nullptr);
    }

private:
    std::array<struct sigaction, kSignals.size()> before_{};
};

TEST_F(HeldSignals, EachSignalRaisedWhileHeldIsDeliveredOnceAfterRelease) {
    for (const int signal : kSignals) {
        SCOPED_TRACE(signal);
        {
            DeferredTerminationSignals held;
            std::raise(signal);
            EXPECT_EQ(gDelivered[signal], 0);
            EXPECT_TRUE(DeferredTerminationSignals::noted());
        }
        EXPECT_EQ(gDelivered[signal], 1);
        EXPECT_FALSE(DeferredTerminationSignals::noted());
        // The handler from before is back.
        std::raise(signal);
        EXPECT_EQ(gDelivered[signal], 2);
        // A later hold with no signal hands on nothing left over.
        { DeferredTerminationSignals again; }
        EXPECT_EQ(gDelivered[signal], 2);
    }
}

TEST_F(HeldSignals, NestedHoldsDeliverWhenTheOutermostEnds) {
    std::optional<DeferredTerminationSignals> outer(std::in_place);
    {
        DeferredTerminationSignals inner;
        std::raise(SIGTERM);
        std::raise(SIGINT);
    }
    EXPECT_EQ(gDelivered[SIGTERM], 0);
    EXPECT_EQ(gDelivered[SIGINT], 0);
    EXPECT_TRUE(DeferredTerminationSignals::noted());
    outer.reset();
    EXPECT_EQ(gDelivered[SIGTERM], 1);
    EXPECT_EQ(gDelivered[SIGINT], 1);
}

TEST_F(HeldSignals, ASignalTheSequenceAnsweredIsNotRaisedAgain) {
    {
        DeferredTerminationSignals held;
        std::raise(SIGINT);
        DeferredTerminationSignals::forgetNoted();
    }
    EXPECT_EQ(gDelivered[SIGINT], 0);
}

TEST_F(HeldSignals, ASignalStartedIgnoredStaysIgnored) {
    // nohup: a hang-up must neither end the program nor cut a recording short.
    std::signal(SIGHUP, SIG_IGN);
    {
        DeferredTerminationSignals held;
        std::raise(SIGHUP);
        EXPECT_FALSE(DeferredTerminationSignals::noted());
    }
    struct sigaction now {};
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_IGN);
}

} // namespace
} // namespace portprov
