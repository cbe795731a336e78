// SPDX-License-Identifier: MIT
// The life of the recorder's and the generator's thread: what ends it early,
// what it hands to wait(), and the mistakes of a caller.
#include "process/BackgroundRun.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace portprov {
namespace {

TEST(BackgroundRun, AFailureReachesWaitAfterTheEndingRan) {
    BackgroundRun run("Test");
    bool ended = false;
    run.start([] { throw std::runtime_error("porten svarar inte"); }, [&ended] { ended = true; });
    EXPECT_THROW(run.wait(), std::runtime_error);
    EXPECT_TRUE(ended && run.finished());
}

TEST(BackgroundRun, RunsOnceAndIsWaitedForOnlyWhenStarted) {
    BackgroundRun run("Test");
    EXPECT_THROW(run.wait(), std::logic_error);
    run.start([&run] { run.progressShare().store(1.0); });
    EXPECT_THROW(run.start([] {}), std::logic_error);
    run.wait();
    EXPECT_EQ(run.progress(), 1.0);
    EXPECT_THROW(run.checkNotStarted(), std::logic_error);
}

TEST(BackgroundRun, LeftRunningItIsStoppedAndWaitedFor) {
    bool sawStop = false;
    {
        BackgroundRun run("Test");
        run.start([&] {
            while (!run.stopRequested().load()) {
            }
            sawStop = true;
        });
    }
    EXPECT_TRUE(sawStop);
}

} // namespace
} // namespace portprov
