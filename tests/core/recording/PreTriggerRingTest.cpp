// SPDX-License-Identifier: MIT
// The stretch before a trigger's edge, held in bounded memory however long
// the wait.
#include "recording/PreTriggerRing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <variant>
#include <vector>

using namespace portprov;
using namespace std::chrono_literals;
using std::chrono::nanoseconds;

TEST(PreTriggerRing, HoldsBoundedMemoryHoweverLongTheWait) {
    // A round a microsecond, a change every round, a million rounds: the
    // stretch asked for is all of them, or 5000 of them.
    using Start = PreTriggerRing::Start;
    for (const auto before : std::initializer_list<std::variant<nanoseconds, std::uint64_t>>{
             std::uint64_t{100'000'000'000'000}, nanoseconds(1h), std::uint64_t{5'000},
             nanoseconds(5ms)}) {
        std::vector<std::uint8_t> initial{0};
        PreTriggerRing ring(before, initial, 10'000);
        std::size_t mostStarts = 0;
        constexpr std::uint64_t kRounds = 1'000'000;
        const auto at = [](std::uint64_t round) { return nanoseconds(1us) * round; };
        for (std::uint64_t k = 0; k < kRounds; ++k) {
            ring.add({at(k), 0, static_cast<std::uint8_t>(k)}, k);
            ring.roundDone(k, at(k), at(k));
            mostStarts = std::max(mostStarts, ring.heldStarts());
        }
        EXPECT_LE(mostStarts, PreTriggerRing::kMostStarts + 1);
        EXPECT_LE(ring.heldChanges(), 10'000u);
        // Stopped: the stretch starts where it was asked to, or at the
        // oldest change the ring held (folded into the initial values); the
        // start is a round that was read.
        const Start start =
            ring.startFor(kRounds, at(kRounds - 1), {at(kRounds - 1), kRounds - 1, {}});
        const std::uint64_t asked =
            std::holds_alternative<std::uint64_t>(before)
                ? std::get<std::uint64_t>(before)
                : static_cast<std::uint64_t>(std::get<nanoseconds>(before) / 1us);
        const std::uint64_t first = kRounds - std::min<std::uint64_t>(asked, 10'000);
        EXPECT_GE(start.round + 1, first);
        EXPECT_LE(start.round, first + 5);
        EXPECT_EQ(start.roundStart, at(start.round));
        Recording recording;
        ring.keepFrom(start, recording);
        EXPECT_GE(recording.changes.size() + 1, kRounds - start.round);
        EXPECT_LE(recording.changes.size(), kRounds - start.round + 1);
        // Each change kept, and the value before the first in the initial values.
        EXPECT_EQ(initial[0], static_cast<std::uint8_t>(kRounds - 1 - recording.changes.size()));
    }
}
