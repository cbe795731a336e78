// SPDX-License-Identifier: MIT
// The repeated loopback test's verdict, from reports made here; the counts'
// lines are the command line's --repeat tests'.
#include "loopback/LoopbackTally.h"

#include <gtest/gtest.h>

using namespace portprov;

namespace {

// A report of the data wiring in which the wires of `failing` are stuck high.
LoopbackReport DataReport(std::vector<std::size_t> failing) {
    LoopbackReport report{LoopbackPlug::Data, 888, {}};
    for (const LoopbackWire& wire : WiringOf(LoopbackPlug::Data))
        report.wires.push_back({wire, WireResult::Works, std::nullopt});
    for (const std::size_t index : failing)
        report.wires[index].result = WireResult::StuckHigh;
    return report;
}

TEST(LoopbackTallyTest, OnlyRoundsThatRanAndAllWorkedPass) {
    using Rounds = std::vector<std::vector<std::size_t>>; // each round's failing wires
    const struct {
        Rounds rounds;
        bool stopped;
        const char* verdict;
    } cases[] = {
        {{}, true, "Ingen omgång kördes. Körningen stoppades."},
        {{{}}, false, "Godkänt: alla 5 ledningarna fungerade i 1 omgång."},
        {{{}, {}},
         true,
         "Godkänt: alla 5 ledningarna fungerade i alla 2 omgångar. "
         "Körningen stoppades."},
        {{{}, {4, 0}, {}, {4}}, false, "Underkänt: fel i 2 av 4 omgångar (stift 2–15, 6–11)."},
    };
    for (const auto& c : cases) {
        LoopbackTally tally(LoopbackPlug::Data, [t = std::chrono::nanoseconds{}]() mutable {
            return t += std::chrono::milliseconds(1);
        });
        for (const auto& failing : c.rounds)
            tally.add(DataReport(failing));
        EXPECT_EQ(RepeatedVerdictText(tally, c.stopped), c.verdict);
        EXPECT_EQ(tally.passed(), std::string(c.verdict).starts_with("Godkänt"));
    }
}

TEST(LoopbackTallyTest, AWiresFirstFailureKeepsItsRoundAndTime) {
    LoopbackTally tally(LoopbackPlug::Data, [t = std::chrono::nanoseconds{}]() mutable {
        return t += std::chrono::milliseconds(1);
    });
    for (const auto& failing : {std::vector<std::size_t>{}, {4}, {4}})
        tally.add(DataReport(failing));
    EXPECT_EQ(WireTallyText(tally.wires()[4], tally.rounds()),
              "fel i 2 av 3 omgångar, första i omgång 2 efter 0,001000 s (fastnat hög)");
    EXPECT_EQ(RoundsText(tally), "3 omgångar, 2 med fel");
}

} // namespace
