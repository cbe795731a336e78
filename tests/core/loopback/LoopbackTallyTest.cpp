// SPDX-License-Identifier: MIT
// The repeated loopback test's verdict, from reports made here; the counts'
// lines are the command line's --repeat tests'.
#include "loopback/LoopbackTally.h"

#include <gtest/gtest.h>

using namespace portprov;

namespace {

TEST(LoopbackTallyTest, OnlyRoundsThatRanAndAllWorkedPass) {
    using Rounds = std::vector<std::vector<std::size_t>>; // each round's wires stuck high
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
        LoopbackTally tally(LoopbackPlug::Data, [] { return std::chrono::nanoseconds{}; });
        for (const auto& failing : c.rounds) {
            LoopbackReport report{LoopbackPlug::Data, 888, {}};
            for (const LoopbackWire& wire : WiringOf(LoopbackPlug::Data))
                report.wires.push_back({wire, WireResult::Works, std::nullopt});
            for (const std::size_t index : failing)
                report.wires[index].result = WireResult::StuckHigh;
            tally.add(report);
        }
        EXPECT_EQ(RepeatedVerdictText(tally, c.stopped), c.verdict);
        EXPECT_EQ(tally.passed(), std::string(c.verdict).starts_with("Godkänt"));
    }
}

} // namespace
